// Files a user names: reading them whole, telling when an output would be one of the inputs, and
// writing outputs so that a failed or interrupted write never leaves a half-written file in place of
// what was there.
#ifndef TARVIK_FILEIO_H
#define TARVIK_FILEIO_H

#include <cstdio>
#include <string>

// The most a text input (a memory image, a program, an expectation file) may hold: 16 MiB, far more
// than any memory the simulator holds needs, and little enough that /dev/zero cannot exhaust memory.
const size_t maxTextFileBytes = size_t(16) << 20;

// Reads the whole of a regular file or a FIFO (a pipe, <(...)) of at most limit bytes.  False with
// reason ("No such file or directory", "Is a directory", "not a regular file", "larger than 16 MiB")
// when it cannot; the caller names the file.
bool readWholeFile(const std::string& name, std::string& text, std::string& reason, size_t limit = maxTextFileBytes);
// The same for a file already open (left open).
bool readWholeOpenFile(int fd, std::string& text, std::string& reason, size_t limit = maxTextFileBytes);

// Text from a file, for a message: a NUL byte shown as \0, so that it cannot end the message early.
std::string shownText(const std::string& text);

// Names files for the check that no output is also an input or another output.  role is shown to the
// user ("--vcd", "the source").  Character devices (/dev/null, a terminal) are never a conflict.
void noteInputFile(const std::string& name, const std::string& role);
void noteOutputFile(const std::string& name, const std::string& role);
// The first conflict among the noted files, as "the output --vcd x is the input --expect x: it would
// be overwritten" or "the outputs --vcd x and --gtkw x are the same file"; empty when there is none.
std::string fileRoleConflict();
// The same check for one more output, not noted: the noted file it would overwrite, or empty.
std::string conflictWithNotedFiles(const std::string& output, const std::string& role);
void resetFileRoles();
// True when the two names reach the same file: the same device and inode when it exists, else the
// same folder and last component.
bool sameFile(const std::string& a, const std::string& b);

// An output file.  A regular file (or a name not yet taken) is written to a temporary file beside it
// and renamed over it by closeOutput, keeping the old file's permissions; devices, FIFOs and the like
// are written in place.  An output neither closed nor abandoned by the end of the process is removed.
// False with reason when the file cannot be opened, or no temporary file can be made beside it.
struct OutputFile {
  FILE* file = nullptr;
  std::string name;
  std::string temporary;  // empty when written in place
};
bool openOutput(const std::string& name, OutputFile& out, std::string& reason);
// Flushes, checks every write and puts the file in place; false with reason (strerror) when anything
// failed, and then the old file is left as it was.
bool closeOutput(OutputFile& out, std::string& reason);
// Drops an output: its temporary file is removed, the old file left as it was.
void abandonOutput(OutputFile& out);
// openOutput, one write and closeOutput.
bool writeWholeFile(const std::string& name, const std::string& text, std::string& reason);
// Flushes a stream already written and tells whether every write to it succeeded (reason: strerror).
bool flushedWithoutError(FILE* stream, std::string& reason);

#endif

// What a grader and a program serving jobs (--serve-jobs) say to each other over a Unix socket of
// packets (SOCK_SEQPACKET, so that each message arrives whole and alone).  A job is one packet: its
// option words, each ended by a NUL, with three descriptors (the job's standard output, standard error
// and verdict) passed beside it.  Every answer is two numbers: what it is, and a wait status.
#ifndef TARVIK_JOBPROTOCOL_H
#define TARVIK_JOBPROTOCOL_H

#include <string>
#include <vector>

enum JobAnswerKind {
  jobServerReady = 1,  // the netlist is built; nothing was printed: jobs may come
  jobEnded = 2,        // the job's process ended with this wait status, and nothing of it is left
  jobRefused = 3,      // the job cannot be told from a run of its own here (see ServeCapability.cpp)
};

struct JobAnswer {
  int kind = 0;
  int status = 0;
};

// A job's words may not be longer together than this.
const size_t jobTextLimit = 65536;

// False with errno when the packet cannot be sent.
bool sendJob(int socket, const std::vector<std::string>& words, const int (&descriptors)[3]);
// Reads one job: false at the end of the stream (or a failed read).  A packet that is not a job (cut
// short, words not ended, not three descriptors) gives ok false; every descriptor it carried is closed.
bool receiveJob(int socket, std::vector<std::string>& words, int (&descriptors)[3], bool& ok);
bool sendAnswer(int socket, JobAnswer answer);
// False at the end of the stream or on a packet of another size.
bool receiveAnswer(int socket, JobAnswer& answer);

#endif

// Window tests under a private X server.
//
// XvfbServer starts Xvfb (which picks a free display number itself and reports it once it accepts
// connections) and points DISPLAY at it.  driveBeside runs the program under test with the harness
// while a driver process, forked first, works its window the way a person would: it finds the window,
// reads pixels from it, types keys and uses the mouse through xdotool, writes what it saw as notes and
// finally ends the program with F10.  The notes come back to the test, which checks them.
#ifndef TARVIK_TESTS_XSERVER_H
#define TARVIK_TESTS_XSERVER_H

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Harness.h"

class XvfbServer {
public:
  std::string name;  // ":N" once the server accepts connections, empty when it could not start
  pid_t pid = -1;

  explicit XvfbServer(const char* screen = "1280x1024x24") {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid = fork();
    if (pid == 0) {
      close(fds[0]);
      int nul = open("/dev/null", O_RDWR);
      dup2(nul, 0);
      dup2(nul, 1);
      dup2(nul, 2);
      std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    struct pollfd p = {fds[0], POLLIN, 0};
    char c;
    while (poll(&p, 1, 15000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return;
    name = ":" + number;
    setenv("DISPLAY", name.c_str(), 1);
  }

  ~XvfbServer() { stop(); }

  bool ready() const { return !name.empty(); }

  void stop() {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = -1;
  }
};

// What a driver can do with the simulator's window.
class WindowDriver {
public:
  Display* d = nullptr;
  Window w = 0;
  std::vector<std::string> notes;
  pid_t serverPid = -1;

  // Waits for the simulator's window (title beginning with prefix) to be mapped; false on timeout.
  bool findWindow(const char* prefix = "Tarvik v20190227", int timeoutMs = 20000) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
      if (!d) d = XOpenDisplay(nullptr);
      if (d && (w = search(prefix)) != 0) {
        XSetInputFocus(d, w, RevertToPointerRoot, CurrentTime);
        XSync(d, False);
        return true;
      }
      pause(50);
    }
    return false;
  }

  bool windowGone() { return d && search("Tarvik v20190227") == 0; }

  // The colour of a window pixel as 0xRRGGBB (the server runs a 24-bit TrueColor screen).
  unsigned long pixel(int x, int y) {
    XImage* image = XGetImage(d, w, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0xFFFFFFFFul;
    unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return p;
  }

  // How many pixels of the rectangle show colour.
  int countPixels(int x, int y, int width, int height, unsigned long colour) {
    XImage* image = XGetImage(d, w, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (!image) return -1;
    int n = 0;
    for (int j = 0; j < height; j++)
      for (int i = 0; i < width; i++) n += (XGetPixel(image, i, j) & 0xFFFFFF) == colour;
    XDestroyImage(image);
    return n;
  }

  // Waits until the count of colour in the rectangle stops changing (a redraw has finished).
  int settledCount(int x, int y, int width, int height, unsigned long colour, int settleMs = 300) {
    int n = countPixels(x, y, width, height, colour);
    for (int same = 0, total = 0; same < settleMs && total < 10000; total += 20) {
      pause(20);
      int m = countPixels(x, y, width, height, colour);
      same = m == n ? same + 20 : 0;
      n = m;
    }
    return n;
  }

  // Takes the X server away from under the program (the driver's own connection is closed first).
  void killServer() {
    if (d) XCloseDisplay(d);
    d = nullptr;
    if (serverPid > 0) kill(serverPid, SIGKILL);
  }

  // The same from the whole screen (for the window border, which lies outside the window).
  unsigned long rootPixel(int x, int y) {
    Window keep = w;
    w = DefaultRootWindow(d);
    unsigned long p = pixel(x, y);
    w = keep;
    return p;
  }

  // Waits until the pixel shows colour, or gives up after timeoutMs; returns the last colour seen.
  unsigned long waitForPixel(int x, int y, unsigned long colour, int timeoutMs = 10000) {
    unsigned long p = pixel(x, y);
    for (int waited = 0; p != colour && waited < timeoutMs; waited += 20) {
      pause(20);
      p = pixel(x, y);
    }
    return p;
  }

  // Waits until the pixel has kept one colour for settleMs, so that a redraw has finished.
  unsigned long settledPixel(int x, int y, int settleMs = 300) {
    unsigned long p = pixel(x, y);
    for (int same = 0, total = 0; same < settleMs && total < 10000; total += 20) {
      pause(20);
      unsigned long q = pixel(x, y);
      same = q == p ? same + 20 : 0;
      p = q;
    }
    return p;
  }

  // Runs xdotool with the words given (the window id stands where the text says %w).
  std::string xdotool(const std::string& words) {
    std::string command = "xdotool " + words;
    size_t at;
    while ((at = command.find("%w")) != std::string::npos) command.replace(at, 2, std::to_string(w));
    std::string out;
    if (FILE* f = popen((command + " 2>/dev/null").c_str(), "r")) {
      char buffer[256];
      while (fgets(buffer, sizeof buffer, f)) out += buffer;
      pclose(f);
    }
    return out;
  }

  void key(const std::string& keys) { xdotool("key --delay 30 " + keys); }
  // Moves the pointer to a window pixel.
  void moveTo(int x, int y) { xdotool("mousemove --window %w " + std::to_string(x) + " " + std::to_string(y)); }
  void click(int button, int x, int y) {
    moveTo(x, y);
    xdotool("click " + std::to_string(button));
  }
  void drag(int x0, int y0, int x1, int y1) {
    moveTo(x0, y0);
    xdotool("mousedown 1");
    for (int i = 1; i <= 4; i++) moveTo(x0 + (x1 - x0) * i / 4, y0 + (y1 - y0) * i / 4);
    xdotool("mouseup 1");
  }

  // Notes are kept one a line: a trailing line end is dropped and inner ones become " | ".
  void note(const std::string& key, const std::string& value) {
    std::string v = value;
    while (!v.empty() && v.back() == '\n') v.pop_back();
    for (size_t at; (at = v.find('\n')) != std::string::npos;) v.replace(at, 1, " | ");
    notes.push_back(key + "=" + v);
  }
  void note(const std::string& key, unsigned long colour) {
    char text[16];
    snprintf(text, sizeof text, "%06lx", colour);
    note(key, std::string(text));
  }

  static void pause(int ms) { usleep(useconds_t(ms) * 1000); }

  // Ends the program with F10; a program that does not go loses its X server instead.
  void finish() {
    if (d && w) {
      key("F10");
      for (int waited = 0; waited < 10000 && !windowGone(); waited += 50) pause(50);
      if (!windowGone() && serverPid > 0) kill(serverPid, SIGTERM);
    }
    if (d) XCloseDisplay(d);
    d = nullptr;
  }

private:
  Window search(const char* prefix) {
    Window root = DefaultRootWindow(d), parent, *children = nullptr;
    unsigned n = 0;
    Window found = 0;
    if (!XQueryTree(d, root, &root, &parent, &children, &n)) return 0;
    for (unsigned i = 0; i < n && !found; i++) {
      char* title = nullptr;
      XWindowAttributes a;
      if (XFetchName(d, children[i], &title) && title && strncmp(title, prefix, strlen(prefix)) == 0 &&
          XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable)
        found = children[i];
      if (title) XFree(title);
    }
    if (children) XFree(children);
    return found;
  }
};

struct DriveResult {
  RunResult program;
  std::map<std::string, std::string> notes;
};

// Runs the program with run() while drive() works its window from a separate process.
inline DriveResult driveBeside(const XvfbServer& server, const std::function<RunResult()>& run,
                               const std::function<void(WindowDriver&)>& drive) {
  char path[] = "/tmp/tarvik-drive-XXXXXX";
  int fd = mkstemp(path);
  if (fd >= 0) close(fd);
  fflush(stdout);
  fflush(stderr);
  pid_t driver = fork();
  if (driver == 0) {
    WindowDriver wd;
    wd.serverPid = server.pid;
    if (wd.findWindow())
      drive(wd);
    else
      wd.note("window", "missing");
    wd.finish();
    std::ofstream out(path);
    for (const std::string& n : wd.notes) out << n << "\n";
    out.close();
    _exit(0);
  }
  DriveResult r;
  r.program = run();
  waitpid(driver, nullptr, 0);
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    size_t eq = line.find('=');
    if (eq != std::string::npos) r.notes[line.substr(0, eq)] = line.substr(eq + 1);
  }
  unlink(path);
  return r;
}

// True when the text carries a sanitizer report.
inline bool sanitizerReport(const std::string& err) {
  return err.find("AddressSanitizer") != std::string::npos || err.find("LeakSanitizer") != std::string::npos ||
         err.find("runtime error:") != std::string::npos;
}

#endif

#include "JobProtocol.h"

#include <errno.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const size_t descriptorRoom = CMSG_SPACE(3 * sizeof(int));

// The descriptors of every rights message of msg, closed or kept (the first three).
int takeDescriptors(msghdr& msg, int (&kept)[3]) {
  int count = 0;
  for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
    if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS) continue;
    size_t n = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
    for (size_t i = 0; i < n; ++i) {
      int fd;
      memcpy(&fd, CMSG_DATA(c) + i * sizeof(int), sizeof fd);
      if (count < 3) kept[count] = fd;
      else close(fd);
      ++count;
    }
  }
  return count;
}

}  // namespace

bool sendJob(int socket, const std::vector<std::string>& words, const int (&descriptors)[3]) {
  std::string text;
  for (const std::string& w : words) text += w + '\0';
  if (text.size() > jobTextLimit) return errno = E2BIG, false;
  iovec part{&text[0], text.size()};
  alignas(cmsghdr) char room[descriptorRoom] = {};
  msghdr msg{};
  msg.msg_iov = &part;
  msg.msg_iovlen = 1;
  msg.msg_control = room;
  msg.msg_controllen = sizeof room;
  cmsghdr* c = CMSG_FIRSTHDR(&msg);
  c->cmsg_level = SOL_SOCKET;
  c->cmsg_type = SCM_RIGHTS;
  c->cmsg_len = CMSG_LEN(sizeof descriptors);
  memcpy(CMSG_DATA(c), descriptors, sizeof descriptors);
  ssize_t sent;
  while ((sent = sendmsg(socket, &msg, MSG_NOSIGNAL)) < 0 && errno == EINTR) {
  }
  return sent == ssize_t(text.size());
}

bool receiveJob(int socket, std::vector<std::string>& words, int (&descriptors)[3], bool& ok) {
  std::string text(jobTextLimit + 1, '\0');
  iovec part{&text[0], text.size()};
  alignas(cmsghdr) char room[CMSG_SPACE(16 * sizeof(int))] = {};
  msghdr msg{};
  msg.msg_iov = &part;
  msg.msg_iovlen = 1;
  msg.msg_control = room;
  msg.msg_controllen = sizeof room;
  ssize_t n;
  while ((n = recvmsg(socket, &msg, MSG_CMSG_CLOEXEC)) < 0 && errno == EINTR) {
  }
  descriptors[0] = descriptors[1] = descriptors[2] = -1;
  int count = n >= 0 ? takeDescriptors(msg, descriptors) : 0;
  if (n <= 0 && count == 0) return false;
  text.resize(size_t(n));
  words.clear();
  for (size_t from = 0, end; from < text.size(); from = end + 1) {
    if ((end = text.find('\0', from)) == std::string::npos) break;
    words.push_back(text.substr(from, end - from));
  }
  ok = count == 3 && !(msg.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) && (text.empty() || text.back() == '\0');
  if (!ok)
    for (int& fd : descriptors)
      if (fd >= 0) close(fd), fd = -1;
  return true;
}

bool sendAnswer(int socket, JobAnswer answer) {
  int numbers[2] = {answer.kind, answer.status};
  return send(socket, numbers, sizeof numbers, MSG_NOSIGNAL) == ssize_t(sizeof numbers);
}

bool receiveAnswer(int socket, JobAnswer& answer) {
  int numbers[3];
  ssize_t n;
  while ((n = recv(socket, numbers, sizeof numbers, 0)) < 0 && errno == EINTR) {
  }
  if (n != ssize_t(2 * sizeof(int))) return false;
  answer = {numbers[0], numbers[1]};
  return true;
}

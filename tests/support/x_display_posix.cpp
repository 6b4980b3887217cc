#include "tests/support/x_display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace scenario::testing_support {

namespace {

using Clock = std::chrono::steady_clock;

// A window can vanish between being seen and being asked about: such errors
// are expected here, and the call that met one reports nothing found.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

std::string FindXvfb() {
  const char* path = std::getenv("PATH");
  std::string directories = path != nullptr ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= directories.size()) {
    std::size_t end = directories.find(':', start);
    if (end == std::string::npos) end = directories.size();
    std::string candidate = directories.substr(start, end - start) + "/Xvfb";
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  throw std::runtime_error("Xvfb not found; scripts/install-dependencies installs it");
}

bool Exists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

void EndProcess(pid_t pid) {
  ::kill(pid, SIGTERM);
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() >= deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// Starts Xvfb on display `number`; returns its process once it accepts
// clients, or -1 when it could not take that display.
pid_t StartXvfb(const std::string& program, int number) {
  int ready[2];
  if (::pipe2(ready, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // a test that dies takes its server along
    int quiet = ::open("/dev/null", O_RDWR);
    ::dup2(quiet, 0);
    ::dup2(quiet, 1);
    ::dup2(quiet, 2);
    ::dup2(ready[1], 3);  // the server writes its display number there once ready
    const std::string display = ":" + std::to_string(number);
    ::execl(program.c_str(), program.c_str(), display.c_str(), "-nolisten", "tcp", "-screen", "0",
            "800x600x24", "-displayfd", "3", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(ready[1]);
  std::string said;
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (said.find('\n') == std::string::npos && Clock::now() < deadline) {
    pollfd watched{ready[0], POLLIN, 0};
    if (::poll(&watched, 1, 100) <= 0) continue;
    char buffer[32];
    ssize_t got = ::read(ready[0], buffer, sizeof buffer);
    if (got <= 0) break;  // it ended without being ready
    said.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(ready[0]);
  if (said.find('\n') == std::string::npos) {
    EndProcess(pid);
    return -1;
  }
  return pid;
}

std::string WindowName(Display* display, Window window) {
  char* name = nullptr;
  std::string result;
  if (XFetchName(display, window, &name) && name != nullptr) result = name;
  if (name != nullptr) XFree(name);
  return result;
}

}  // namespace

XvfbServer::XvfbServer() {
  const std::string program = FindXvfb();
  XSetErrorHandler(IgnoreError);
  for (int number = 93; number < 160; ++number) {
    if (Exists("/tmp/.X" + std::to_string(number) + "-lock") ||
        Exists("/tmp/.X11-unix/X" + std::to_string(number)))
      continue;
    pid_t pid = StartXvfb(program, number);
    if (pid < 0) continue;
    name_ = ":" + std::to_string(number);
    display_ = XOpenDisplay(name_.c_str());
    if (display_ == nullptr) {
      EndProcess(pid);
      continue;
    }
    pid_ = pid;
    return;
  }
  throw std::runtime_error("no Xvfb server could be started");
}

XvfbServer::~XvfbServer() {
  if (display_ != nullptr) XCloseDisplay(display_);
  if (pid_ > 0) EndProcess(pid_);
}

std::vector<ScreenWindow> TopLevelWindows(Display* display) {
  std::vector<ScreenWindow> result;
  Window root = DefaultRootWindow(display);
  Window root_back = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, root, &root_back, &parent, &children, &count)) return result;
  for (unsigned int i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, children[i], &attributes)) continue;
    ScreenWindow window;
    window.id = children[i];
    window.name = WindowName(display, children[i]);
    window.x = attributes.x + attributes.border_width;
    window.y = attributes.y + attributes.border_width;
    window.width = attributes.width;
    window.height = attributes.height;
    window.viewable = attributes.map_state == IsViewable;
    result.push_back(window);
  }
  if (children != nullptr) XFree(children);
  return result;
}

std::vector<ScreenWindow> ViewableWindows(Display* display) {
  std::vector<ScreenWindow> result;
  for (const ScreenWindow& window : TopLevelWindows(display))
    if (window.viewable) result.push_back(window);
  return result;
}

std::optional<ScreenWindow> WaitForViewableWindow(Display* display, const std::string& name,
                                                  std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    for (const ScreenWindow& window : ViewableWindows(display))
      if (window.name == name) return window;
    if (Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

unsigned long TransientFor(Display* display, unsigned long window) {
  Window owner = 0;
  if (!XGetTransientForHint(display, window, &owner)) return 0;
  return owner;
}

bool AsksToBeModal(Display* display, unsigned long window) {
  Atom state = XInternAtom(display, "_NET_WM_STATE", False);
  Atom modal = XInternAtom(display, "_NET_WM_STATE_MODAL", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool found = false;
  if (XGetWindowProperty(display, window, state, 0, 64, False, XA_ATOM, &type, &format, &count,
                         &after, &data) == Success &&
      data != nullptr && format == 32) {
    const auto* atoms = reinterpret_cast<const unsigned long*>(data);
    for (unsigned long i = 0; i < count; ++i) found = found || atoms[i] == modal;
  }
  if (data != nullptr) XFree(data);
  return found;
}

bool Screenshot::Dark(int x, int y) const {
  const Rgb pixel = at(x, y);
  return pixel.red + pixel.green + pixel.blue < 3 * 100;
}

namespace {

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

void PutBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void PutChunk(std::string& out, const std::string& type, const std::string& data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::string typed = type + data;
  out += typed;
  PutBigEndian(out, Crc32(typed));
}

}  // namespace

// An RGB PNG whose image data is stored without compression.
void Screenshot::WritePng(const std::filesystem::path& path) const {
  std::string rows;
  for (int y = 0; y < height_; ++y) {
    rows += '\0';  // no filter
    for (int x = 0; x < width_; ++x) {
      const Rgb pixel = at(x, y);
      rows += static_cast<char>(pixel.red);
      rows += static_cast<char>(pixel.green);
      rows += static_cast<char>(pixel.blue);
    }
  }
  std::string stream = "\x78\x01";
  std::uint32_t sum_a = 1, sum_b = 0;
  for (unsigned char byte : rows) {
    sum_a = (sum_a + byte) % 65521;
    sum_b = (sum_b + sum_a) % 65521;
  }
  for (std::size_t at = 0; at < rows.size() || at == 0; at += 65535) {
    const std::size_t length = std::min<std::size_t>(65535, rows.size() - at);
    const bool last = at + length >= rows.size();
    stream += static_cast<char>(last ? 1 : 0);
    stream += static_cast<char>(length & 0xFF);
    stream += static_cast<char>(length >> 8);
    stream += static_cast<char>(~length & 0xFF);
    stream += static_cast<char>((~length >> 8) & 0xFF);
    stream.append(rows, at, length);
    if (last) break;
  }
  PutBigEndian(stream, (sum_b << 16) | sum_a);

  std::string header;
  PutBigEndian(header, static_cast<std::uint32_t>(width_));
  PutBigEndian(header, static_cast<std::uint32_t>(height_));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB

  std::string png = "\x89PNG\r\n\x1a\n";
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", stream);
  PutChunk(png, "IEND", "");
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << png;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

Screenshot Capture(Display* display, const ScreenWindow& window) {
  Screenshot shot(window.width, window.height);
  XImage* image = XGetImage(display, DefaultRootWindow(display), window.x, window.y,
                            static_cast<unsigned>(window.width),
                            static_cast<unsigned>(window.height), AllPlanes, ZPixmap);
  if (image == nullptr) throw std::runtime_error("cannot read the screen");
  auto channel = [](unsigned long pixel, unsigned long mask) {
    if (mask == 0) return std::uint8_t{0};
    int shift = 0;
    while (((mask >> shift) & 1u) == 0) ++shift;
    const unsigned long top = mask >> shift;
    return static_cast<std::uint8_t>(((pixel & mask) >> shift) * 255 / top);
  };
  for (int y = 0; y < window.height; ++y)
    for (int x = 0; x < window.width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      shot.set(x, y, Rgb{channel(pixel, image->red_mask), channel(pixel, image->green_mask),
                         channel(pixel, image->blue_mask)});
    }
  XDestroyImage(image);
  return shot;
}

void PressKey(Display* display, unsigned long window, Key key) {
  XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
  XSync(display, False);
  const KeyCode code = XKeysymToKeycode(display, key == Key::kEnter ? XK_Return : XK_Escape);
  XTestFakeKeyEvent(display, code, True, 0);
  XTestFakeKeyEvent(display, code, False, 0);
  XSync(display, False);
}

void ClickAt(Display* display, int x, int y) {
  XTestFakeMotionEvent(display, -1, x, y, 0);
  XTestFakeButtonEvent(display, 1, True, 0);
  XTestFakeButtonEvent(display, 1, False, 0);
  XSync(display, False);
}

void RequestClose(Display* display, unsigned long window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
}

WindowWatcher::WindowWatcher(Display* display) : display_(display) {
  XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
  XSync(display_, False);
}

WindowWatcher::~WindowWatcher() {
  XSelectInput(display_, DefaultRootWindow(display_), NoEventMask);
  XSync(display_, False);
}

void WindowWatcher::Update(std::chrono::milliseconds timeout) {
  if (XPending(display_) == 0) {
    pollfd watched{ConnectionNumber(display_), POLLIN, 0};
    ::poll(&watched, 1, static_cast<int>(timeout.count()));
  }
  XSync(display_, False);
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    switch (event.type) {
      case CreateNotify: {
        Seen& seen = windows_[event.xcreatewindow.window];
        seen.width = event.xcreatewindow.width;
        seen.height = event.xcreatewindow.height;
        break;
      }
      case ConfigureNotify: {
        Seen& seen = windows_[event.xconfigure.window];
        seen.width = event.xconfigure.width;
        seen.height = event.xconfigure.height;
        break;
      }
      case MapNotify: {
        Seen& seen = windows_[event.xmap.window];
        seen.mapped = true;
        seen.name_when_mapped = WindowName(display_, event.xmap.window);
        break;
      }
      case DestroyNotify:
        windows_[event.xdestroywindow.window].destroyed = true;
        break;
      default:
        break;
    }
  }
}

}  // namespace scenario::testing_support

#include "tools/lsp/server_loop.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/system/binary_streams.h"
#include "platform/system/process_status.h"
#include "tools/lsp/language_server.h"

namespace scenario::lsp {

namespace {

// What the reading thread hands over.
struct Inbox {
  std::mutex mutex;
  std::condition_variable arrived;
  std::deque<Frame> frames;
  bool ended = false;
};

}  // namespace

int ServeLanguage(Transport& transport, FileSystem& files) {
  LanguageServer server(files, [&transport](const std::string& body) { transport.Send(body); });
  auto inbox = std::make_shared<Inbox>();
  std::thread reader([inbox, &transport] {
    for (;;) {
      std::optional<Frame> frame = transport.Receive();
      const std::lock_guard<std::mutex> lock(inbox->mutex);
      if (!frame) {
        inbox->ended = true;
        inbox->arrived.notify_one();
        return;
      }
      inbox->frames.push_back(std::move(*frame));
      inbox->arrived.notify_one();
    }
  });

  int status = 1;
  for (;;) {
    std::deque<Frame> frames;
    bool ended = false;
    {
      std::unique_lock<std::mutex> lock(inbox->mutex);
      if (!server.HasPendingWork())
        inbox->arrived.wait(lock, [&] { return !inbox->frames.empty() || inbox->ended; });
      frames.swap(inbox->frames);
      ended = inbox->ended;
    }
    if (!frames.empty()) {
      // Every message that has come is handled before anything is compiled.
      for (const Frame& frame : frames) {
        server.Receive(frame);
        if (server.exit_status()) break;
      }
      if (server.exit_status()) {
        status = *server.exit_status();
        break;
      }
      continue;
    }
    if (server.HasPendingWork()) {
      server.CheckPending();
      continue;
    }
    if (ended) break;  // the client went away without exit
  }
  bool reader_done = false;
  {
    const std::lock_guard<std::mutex> lock(inbox->mutex);
    reader_done = inbox->ended;
  }
  if (reader_done)
    reader.join();
  else
    reader.detach();
  return status;
}

void RunStdioLanguageServer(FileSystem& files, std::optional<std::int64_t> client_process_id) {
  SetStandardStreamsBinary();
  if (client_process_id) {
    const std::int64_t client = *client_process_id;
    std::thread([client] {
      while (ProcessIsRunning(client)) std::this_thread::sleep_for(std::chrono::seconds(1));
      // Nobody is left to read an answer: end without finishing one.
      std::_Exit(1);
    }).detach();
  }
  // stdout carries the protocol alone.
  static StreamTransport transport(stdin, stdout);
  const int status = ServeLanguage(transport, files);
  std::fflush(stdout);
  std::fflush(stderr);
  // The reading thread may still wait on stdin: the process ends without
  // waiting for it.
  std::_Exit(status);
}

}  // namespace scenario::lsp

// corvane-appserver: serves the application-server objects over TCP, one
// session per connection, on the storage CorvaneS.ini names.
#include <csignal>
#include <iostream>
#include <pthread.h>

#include "platform/Exceptions.h"
#include "platform/wire/WireTcpServer.h"
#include "server/appserver/AppServerOptions.h"
#include "server/appserver/ServerSetup.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  server::AppServerOptionsResult parsed = server::ParseAppServerOptions(args);
  if (!parsed.options) {
    (parsed.exitCode ? std::cerr : std::cout) << parsed.message << "\n";
    return parsed.exitCode;
  }
  const server::AppServerOptions& o = *parsed.options;

  // The signals are taken by sigwait below, not by whichever thread runs.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  try {
    auto context = server::MakeServerContext(o);
    platform::WireTcpServerOptions wire;
    wire.address = o.address;
    wire.port = o.port;
    wire.workerThreads = o.workers;
    platform::WireTcpServer tcp(server::MakeWireServerConfig(context), wire);
    tcp.Start();
    std::cout << "corvane-appserver: serving " << storage::EngineName(o.storage.engine) << " on " << o.address << ":"
              << tcp.Port() << (o.allowTestIdentity ? " (test identity allowed)" : "") << std::endl;
    int received = 0;
    sigwait(&signals, &received);
    std::cout << "corvane-appserver: stopping" << std::endl;
    tcp.Stop();
  } catch (const std::exception& e) {
    const auto* pe = dynamic_cast<const platform::Exception*>(&e);
    std::cerr << "corvane-appserver: " << (pe ? pe->Message().ToUtf8() : std::string(e.what())) << "\n";
    return 1;
  }
  return 0;
}

// Late-bound call round trips over loopback TCP against a plain TCP echo
// of the same frame sizes, in the same run. The ratio (wire call time /
// echo time) is what the wire adds: encoding, decoding, the dispatch by
// name and the hand-over to the server's worker pool.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/Automation.h"
#include "platform/ClassRegistry.h"
#include "platform/DispatchTable.h"
#include "platform/wire/InProcessWireConnection.h"
#include "platform/wire/TcpWireConnection.h"
#include "platform/wire/WireCodec.h"
#include "platform/wire/WireFrame.h"
#include "platform/wire/WireTcpServer.h"

namespace {

using namespace platform;

constexpr const char* kAddress = "127.0.0.2";
constexpr const char* kClass = "WireBench.Echo";
constexpr const char* kToken = "bench";

class Echo : public Dispatchable<Echo> {
 public:
  static const DispatchTable<Echo>& AutomationMembers() {
    static const auto table = DispatchTable<Echo>(kClass).Method("Echo", &Echo::Run);
    return table;
  }
  Variant Run(const Variant& v) { return v; }
};

bool ReadAll(int fd, char* p, std::size_t n) {
  while (n > 0) {
    ssize_t got = ::recv(fd, p, n, 0);
    if (got <= 0) return false;
    p += got;
    n -= static_cast<std::size_t>(got);
  }
  return true;
}

bool WriteAll(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    ssize_t put = ::send(fd, p, n, MSG_NOSIGNAL);
    if (put <= 0) return false;
    p += put;
    n -= static_cast<std::size_t>(put);
  }
  return true;
}

void NoDelay(int fd) {
  int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

sockaddr_in Address(unsigned short port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  ::inet_pton(AF_INET, kAddress, &a.sin_addr);
  return a;
}

// The baseline: a thread that sends every frame back as it came, with one
// client socket.
class PlainEcho {
 public:
  PlainEcho() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Address(0);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(listener_, 1);
    socklen_t len = sizeof a;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
    thread_ = std::thread([this] { Serve(); });
    client_ = ::socket(AF_INET, SOCK_STREAM, 0);
    ::connect(client_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    NoDelay(client_);
  }
  ~PlainEcho() {
    ::shutdown(client_, SHUT_RDWR);
    ::close(client_);
    thread_.join();
    ::close(listener_);
  }

  // One round trip of a frame with the body; false when it failed.
  bool RoundTrip(const std::string& frame, std::string& reply) {
    if (!WriteAll(client_, frame.data(), frame.size())) return false;
    char header[kWireFrameHeaderBytes];
    if (!ReadAll(client_, header, sizeof header)) return false;
    reply.resize(WireFrameLength(header));
    return ReadAll(client_, reply.data(), reply.size());
  }

 private:
  void Serve() {
    int fd = ::accept(listener_, nullptr, nullptr);
    NoDelay(fd);
    std::string body;
    char header[kWireFrameHeaderBytes];
    while (ReadAll(fd, header, sizeof header)) {
      body.resize(WireFrameLength(header));
      if (!ReadAll(fd, body.data(), body.size())) break;
      if (!WriteAll(fd, header, sizeof header) || !WriteAll(fd, body.data(), body.size())) break;
    }
    ::close(fd);
  }

  int listener_ = -1;
  int client_ = -1;
  std::thread thread_;
};

// The wire server with one connection and its root object.
struct WireSide {
  WireSide() {
    RegisterAutoClass(kClass, [] { return std::make_shared<Echo>(); });
    auto config = std::make_shared<WireServerConfig>();
    config->classes.push_back(RegisteredWireClass(kClass));
    config->authenticate = [](WireSessionContext& c) { return c.credential == kToken; };
    WireTcpServerOptions options;
    options.address = kAddress;
    options.port = 0;
    options.workerThreads = 2;
    server = std::make_unique<WireTcpServer>(config, options);
    server->Start();
    WireClientOptions client;
    client.host = kAddress;
    client.port = server->Port();
    client.credential = kToken;
    root = Variant(ConnectWireTcp(client)->CreateObject(kClass));
  }
  std::unique_ptr<WireTcpServer> server;
  Variant root;
};

WireSide& Wire();

// The same object in-process (the address "127.0.0.1"): the codec without
// the socket.
Variant& InProcessRoot() {
  static Variant root = [] {
    Wire();  // registers the class
    auto config = std::make_shared<WireServerConfig>();
    config->classes.push_back(RegisteredWireClass(kClass));
    config->authenticate = [](WireSessionContext& c) { return c.credential == kToken; };
    WireClientOptions client;
    client.credential = kToken;
    return Variant(ConnectWireInProcess(config, client)->CreateObject(kClass));
  }();
  return root;
}

WireSide& Wire() {
  static WireSide side;
  return side;
}

AnsiString Payload(std::int64_t bytes) { return AnsiString(static_cast<std::size_t>(bytes), 'x'); }

// The body of the call the wire benchmark sends, so that the echo moves
// frames of the same size.
std::string CallBody(const AnsiString& payload) {
  WireCall call;
  call.request = 1;
  call.object = 1;
  call.member = "Echo";
  call.args = {Variant(payload)};
  return WireCodec().Encode(call);
}

void BM_WireCall(benchmark::State& state) {
  Variant payload(Payload(state.range(0)));
  Variant& root = Wire().root;
  for (auto _ : state) {
    Variant answer = OleCall(root, "Echo", {payload});
    benchmark::DoNotOptimize(answer);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(CallBody(payload.AsString()).size()) * 2);
}

void BM_InProcessCall(benchmark::State& state) {
  Variant payload(Payload(state.range(0)));
  Variant& root = InProcessRoot();
  for (auto _ : state) {
    Variant answer = OleCall(root, "Echo", {payload});
    benchmark::DoNotOptimize(answer);
  }
}

void BM_PlainTcpEcho(benchmark::State& state) {
  static PlainEcho echo;
  const std::string body = CallBody(Payload(state.range(0)));
  const std::string frame = WireFrameHeader(body.size()) + body;
  std::string reply;
  for (auto _ : state) {
    if (!echo.RoundTrip(frame, reply)) {
      state.SkipWithError("echo failed");
      break;
    }
    benchmark::DoNotOptimize(reply);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(body.size()) * 2);
}

BENCHMARK(BM_PlainTcpEcho)->Arg(16)->Arg(1024)->Arg(64 * 1024)->UseRealTime();
BENCHMARK(BM_WireCall)->Arg(16)->Arg(1024)->Arg(64 * 1024)->UseRealTime();
BENCHMARK(BM_InProcessCall)->Arg(16)->Arg(1024)->Arg(64 * 1024)->UseRealTime();

// Keeps each benchmark's time per round trip (the median of the
// repetitions when there are several) to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      if (run.run_type == Run::RT_Iteration && !times_.count(run.run_name.str()))
        times_[run.run_name.str()] = run.GetAdjustedRealTime();
      else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        times_[run.run_name.str()] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    std::printf("\nwire call / plain TCP echo of the same frame size (median real time per round trip):\n");
    for (const char* size : {"16", "1024", "65536"}) {
      auto wire = times_.find(std::string("BM_WireCall/") + size + "/real_time");
      auto echo = times_.find(std::string("BM_PlainTcpEcho/") + size + "/real_time");
      auto local = times_.find(std::string("BM_InProcessCall/") + size + "/real_time");
      if (wire == times_.end() || echo == times_.end() || echo->second <= 0) continue;
      std::printf("  %6s-byte text argument: %.2f", size, wire->second / echo->second);
      if (local != times_.end()) std::printf("   (in-process call: %.1f us)", local->second / 1000.0);
      std::printf("\n");
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  // Both sides are measured in interleaved repetitions, so that the load of
  // a shared machine falls on both alike; flags given on the command line
  // come later and win.
  std::vector<char*> args{argv[0]};
  std::string repetitions = "--benchmark_repetitions=7";
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  std::string aggregates = "--benchmark_report_aggregates_only=true";
  args.push_back(repetitions.data());
  args.push_back(interleave.data());
  args.push_back(aggregates.data());
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  argc = static_cast<int>(args.size());
  argv = args.data();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}

// Network Interface counters from /proc/net/dev and /sys/class/net.
#include "core/counter_math.h"
#include "platform/linux/proc/counter_eval.h"
#include "platform/linux/proc/instance_names.h"

namespace corvane::local::eval {

Value NetworkInterface(const CounterBinding& binding, std::size_t* hint, SourceSet* sources) {
  using Bytes = perf::CounterDelta<std::uint64_t>;
  const CounterId id = binding.counter->id;
  const auto& source = sources->NetDev();
  const NetDevSnapshot* now = source.current();
  if (now == nullptr) return std::nullopt;
  const NetDevice* after = FindRow(now->devices, hint, [&](const NetDevice& row) {
    return InstanceMatches(row.name, binding.instance);
  });
  // An interface that is down is no instance and reads as invalid while it stays down.
  if (after == nullptr || !sources->IsInterfaceInstance(after->name)) return std::nullopt;

  if (id == CounterId::kCurrentBandwidth) {
    const auto mbits = sources->InterfaceSpeedMbits(after->name);
    if (!mbits) return std::nullopt;
    return static_cast<double>(*mbits) * 1e6;  // bits per second
  }

  const NetDevSnapshot* before = source.previous();
  if (before == nullptr) return std::nullopt;
  const NetDevice* earlier = SameNameIn(before->devices, *after, *hint);
  if (earlier == nullptr) return std::nullopt;
  const Bytes received = Bytes::Between(earlier->rx_bytes, after->rx_bytes);
  const Bytes sent = Bytes::Between(earlier->tx_bytes, after->tx_bytes);
  switch (id) {
    case CounterId::kBytesReceivedPerSec:
      return perf::PerSecond(received, source.seconds());
    case CounterId::kBytesSentPerSec:
      return perf::PerSecond(sent, source.seconds());
    case CounterId::kBytesTotalPerSec:
      return perf::PerSecond(received + sent, source.seconds());
    default:
      return std::nullopt;
  }
}

}  // namespace corvane::local::eval

#include "Options.h"

#include <charconv>
#include <functional>
#include <map>

namespace phonesim {

namespace {

std::optional<long long> Number(const std::string& text) {
  long long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
  Options options;
  using Flag = std::function<void()>;
  using Valued = std::function<std::string(const std::string&)>;  // gives a reason or empty
  const std::map<std::string, Flag> flags{
      {"--help", [&] { options.help = true; }},
      {"-h", [&] { options.help = true; }},
      {"--list-models", [&] { options.listModels = true; }},
      {"--no-control", [&] { options.control = false; }},
      {"--refuse-echo", [&] { options.refuseEcho = true; }},
      {"--silent", [&] { options.faults.silent = true; }},
      {"--garbage", [&] { options.faults.garbage = true; }},
  };
  auto count = [](const std::string& value, auto&& store) -> std::string {
    const auto number = Number(value);
    if (!number || *number < 0) return "needs a number of at least 0";
    store(*number);
    return {};
  };
  const std::map<std::string, Valued> valued{
      {"--model", [&](const std::string& v) -> std::string {
         options.model = FindModel(v);
         return options.model ? "" : "names no model row (see --list-models)";
       }},
      {"--sw-version", [&](const std::string& v) -> std::string {
         options.swVersion = v;
         return {};
       }},
      {"--maker", [&](const std::string& v) -> std::string {
         if (v.find_first_of("\r\n") != std::string::npos) return "must be one line";
         options.maker = v;
         return {};
       }},
      {"--device", [&](const std::string& v) -> std::string {
         options.device = v;
         return {};
       }},
      {"--home", [&](const std::string& v) -> std::string {
         options.home = v;
         return {};
       }},
      {"--state", [&](const std::string& v) -> std::string {
         options.state = v;
         return {};
       }},
      {"--baud", [&](const std::string& v) -> std::string {
         const auto number = Number(v);
         if (!number || *number < 300 || *number > 4'000'000) return "needs a rate from 300 to 4000000";
         options.baud = static_cast<int>(*number);
         return {};
       }},
      {"--off-time", [&](const std::string& v) -> std::string {
         if (v == "never") {
           options.offTime.reset();
           return {};
         }
         return count(v, [&](long long n) { options.offTime = std::chrono::milliseconds(n); });
       }},
      {"--delay", [&](const std::string& v) {
         return count(v, [&](long long n) { options.faults.delay = std::chrono::milliseconds(n); });
       }},
      {"--silent-answers", [&](const std::string& v) {
         return count(v, [&](long long n) { options.faults.silentAnswers = static_cast<int>(std::min(n, 1'000'000LL)); });
       }},
      {"--drop-after", [&](const std::string& v) {
         return count(v, [&](long long n) { options.faults.dropAfterSent = n; });
       }},
      {"--drop-after-received", [&](const std::string& v) {
         return count(v, [&](long long n) { options.faults.dropAfterReceived = n; });
       }},
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (const auto equals = name.find('='); name.starts_with("--") && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
    }
    if (const auto flag = flags.find(name); flag != flags.end() && !value) {
      flag->second();
      continue;
    }
    const auto option = valued.find(name);
    if (option == valued.end()) {
      error = "unknown option " + args[i] + " (see --help)";
      return std::nullopt;
    }
    if (!value) {
      if (i + 1 == args.size()) {
        error = name + " needs a value";
        return std::nullopt;
      }
      value = args[++i];
    }
    if (std::string reason = option->second(*value); !reason.empty()) {
      error = name + " " + *value + ": " + reason;
      return std::nullopt;
    }
  }
  return options;
}

std::string HelpText() {
  return R"(Usage: phonesim [options]

Plays a phone of the Halvane family on a pseudo-terminal (or a serial device) so that the suite
can find it, identify it by AT commands, wake it into PTE command mode and send it commands.

When it is ready it registers the device as a COM port of the home and prints one line,
  COMn /dev/pts/N
(the name is "-" when the port could not be registered; the reason goes to standard error).
It then serves until it gets SIGTERM or SIGINT, reads "quit", or its standard input ends.

Phone:
  --model NAME|ROW       the model to play, by name or row number (default: the one stored in
                         the state folder, else row 1)
  --list-models          print the model rows and exit
  --sw-version TEXT      answer "ShowSwVersion" with TEXT instead of the row's version
  --maker TEXT           answer "AT+GMI" with TEXT instead of the row's maker
  --refuse-echo          answer "ATE1" with ERROR (the phone still works)
  --state DIR            the phone's state folder (default: phonesim in the home); its
                         journal.log lists the commands heard since the last wake-up
  --off-time MS|never    how long the phone stays off after "PowerOff" before it is on again
                         in AT mode (default 1000)

Line:
  --device PATH          serve a real serial device instead of a new pseudo-terminal
  --baud N               the line's speed; every byte takes 10 bits (default 115200)
  --home DIR             the home whose registry lists the port (sets TOLVAR_HOME)

Faults (all can also be changed while running, see Control):
  --silent               send nothing at all
  --silent-answers N     swallow the next N answers (echo still goes out)
  --delay MS             send every answer MS milliseconds late
  --garbage              send noise of the same length, ending in SYN, instead of each answer
  --drop-after N         hang up after sending N bytes (the PC side's reads then fail)
  --drop-after-received N  hang up after receiving N bytes

Control (one command per line on standard input; each is answered "ok" or "error <reason>"
on standard output):
  silent on|off|N   garbage on|off   delay MS   drop N   drop-received N   clear   quit
  reconnect              bring a dropped line back under the same COM name
  lock sim ok|ng   lock phone on|off   lock daybook on|off   lock unreadable on|off
                         the lock states that "ShowLockInfo" reports (kept in the state folder)
  --no-control           do not read standard input; serve until a signal

  -h, --help             this text
)";
}

}  // namespace phonesim

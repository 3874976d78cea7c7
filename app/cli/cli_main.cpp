#include "app/cli/cli_main.h"

#include <memory>
#include <optional>

#include "app/cli/cli_options.h"
#include "app/cli/exit_status.h"
#include "app/cli/unit_report.h"
#include "app/device_profiles.h"
#include "app/program.h"
#include "app/update_sequence.h"
#include "serial/traced_link.h"
#include "ui/console/console_toolkit.h"

namespace trelvin2 {
namespace {

constexpr const char* kUsageHint = "trelvin2-cli --help zeigt alle Optionen.";
// Between two units of a batch the line stays quiet as long as the desktop tool shows its success
// message before it ends: the finished unit's firmware has started and must not be called, and an
// operator needs at least that long to take it off and plug in the next.
constexpr int kBetweenUnitsMs = 3000;

// How a batch stands, kept as counts only, so a batch of any length runs in constant memory.
struct BatchCounts {
  int done = 0;
  int failed = 0;
  std::optional<int> first_failure_status;
};

double SecondsBetween(std::uint32_t earlier, std::uint32_t later) {
  return static_cast<double>(TickDiff(later, earlier)) / 1000.0;
}

class CliRun {
 public:
  CliRun(const CliOptions& options, CliPlatform& platform, SerialLink& link)
      : options_(options),
        platform_(platform),
        human_(options.json ? platform.err : platform.out),
        toolkit_(platform.events, human_, platform.err,
                 options.json ? platform.err_is_terminal : platform.out_is_terminal),
        program_(toolkit_, link, platform.clock) {
    program_.profiles = BuildDeviceProfileTable();
    program_.active_profile = kTrelvin2ProfileIndex;
    program_.settings = options.settings;
    program_.image_cursor.Rewind();
    // The success line stays on the console, and a single unit's run ends with it; between the
    // units of a batch the run keeps the line quiet as long itself.
    program_.success_shown_ms = 0;
  }

  int Run(TracedLink* trace);

 private:
  // Runs updates until one reaches a device or the operator ends the batch; nullopt when the
  // operator ended it first.
  std::optional<UnitResult> NextUnit(int number, TracedLink* trace);
  void Report(const UnitResult& result, BatchCounts& counts);
  bool BatchComplete(const BatchCounts& counts) const {
    return options_.repeat_count > 0 && counts.done >= options_.repeat_count;
  }

  const CliOptions& options_;
  CliPlatform& platform_;
  std::ostream& human_;
  ConsoleToolkit toolkit_;
  Program program_;
};

std::optional<UnitResult> CliRun::NextUnit(int number, TracedLink* trace) {
  for (;;) {
    if (options_.repeat) {
      toolkit_.PrintLine("Einheit " + std::to_string(number) +
                         ": Trelvin 2 anschließen und zurücksetzen (Strg-C beendet)");
    }
    if (trace != nullptr) trace->Note("Einheit " + std::to_string(number));
    UpdateSequence(program_);
    toolkit_.FinishBar();
    const UpdateRecord& update = program_.last_update;

    // In a batch, a wait in which no device answered, or that the operator ended, is no unit:
    // nothing was written to any device.
    if (options_.repeat && update.outcome == UpdateOutcome::kInterrupted) return std::nullopt;
    if (options_.repeat && update.outcome == UpdateOutcome::kNoLoader &&
        platform_.events.Wait(0) == ConsoleEvents::Request::kNone) {
      toolkit_.PrintLine("Keine Einheit innerhalb von 30 s, es wird weiter gewartet.");
      continue;
    }

    UnitResult result;
    result.unit = number;
    result.outcome = update.outcome;
    result.port = options_.port;
    result.rate_text = options_.rate_text;
    result.framing_text = options_.framing_text;
    if (update.outcome == UpdateOutcome::kSucceeded) {
      result.reset_to_start_s = SecondsBetween(update.prompt_tick, update.start_byte_tick);
    }
    result.finished = platform_.now();
    return result;
  }
}

void CliRun::Report(const UnitResult& result, BatchCounts& counts) {
  toolkit_.PrintLine(UnitLine(result));
  if (options_.json) platform_.out << UnitJson(result) << '\n' << std::flush;
  ++counts.done;
  if (result.outcome != UpdateOutcome::kSucceeded) {
    ++counts.failed;
    if (!counts.first_failure_status) counts.first_failure_status = ExitStatusOf(result.outcome);
  }
}

int CliRun::Run(TracedLink* trace) {
  std::string where = options_.port;
  const std::string device = platform_.describe_port(options_.port);
  if (!device.empty() && device != options_.port) where += " (" + device + ")";
  toolkit_.PrintLine("Port " + where + ", künftige Einstellung " + options_.rate_text + " Baud " +
                     options_.framing_text);

  program_.working_port = platform_.open_port(options_.port);
  if (trace != nullptr)
    trace->Note((program_.working_port != 0 ? "open " : "open failed ") + where);
  if (program_.working_port == 0) {
    toolkit_.PrintLine("COM-Port konnte nicht geöffnet werden: " + where);
    if (options_.json) platform_.err << std::flush;
    return kExitPortNotOpened;
  }

  BatchCounts counts;
  bool interrupted = false;
  if (options_.repeat) platform_.batch_started();
  for (int number = 1;; ++number) {
    const std::optional<UnitResult> result = NextUnit(number, trace);
    if (result) Report(*result, counts);
    const ConsoleEvents::Request request = platform_.events.Wait(0);
    interrupted = request == ConsoleEvents::Request::kInterrupt ||
                  (result && result->outcome == UpdateOutcome::kInterrupted);
    if (!options_.repeat || !result || request != ConsoleEvents::Request::kNone ||
        BatchComplete(counts)) {
      break;
    }
    // Ctrl-C or Ctrl-D in the quiet time ends the batch at once.
    if (platform_.events.Wait(kBetweenUnitsMs) != ConsoleEvents::Request::kNone) {
      interrupted = platform_.events.Wait(0) == ConsoleEvents::Request::kInterrupt;
      break;
    }
  }

  if (options_.repeat) {
    toolkit_.PrintLine("Einheiten: " + std::to_string(counts.done) +
                       ", davon fehlgeschlagen: " + std::to_string(counts.failed));
  }
  if (interrupted) {
    toolkit_.PrintLine("Abgebrochen.");
    return kExitInterrupted;
  }
  return counts.first_failure_status.value_or(kExitSuccess);
}

}  // namespace

int CliMain(const std::vector<std::string>& args, CliPlatform& platform) {
  const ParsedOptions parsed = ParseCliOptions(args, platform.port_name_ok);
  if (!parsed.options) {
    platform.err << "trelvin2-cli: " << parsed.error << '\n' << kUsageHint << '\n' << std::flush;
    return kExitUsage;
  }
  const CliOptions& options = *parsed.options;
  if (options.help) {
    platform.out << CliHelp() << std::flush;
    return kExitSuccess;
  }
  if (options.list_ports) {
    PrintPortListing(platform.list_ports(), platform.out);
    platform.out << std::flush;
    return kExitSuccess;
  }

  std::unique_ptr<std::ostream> trace_file;
  std::unique_ptr<TracedLink> traced;
  if (!options.trace_path.empty()) {
    trace_file = platform.open_trace(options.trace_path);
    if (!trace_file) {
      platform.err << "trelvin2-cli: --trace " << options.trace_path
                   << ": die Datei kann nicht angelegt werden\n"
                   << std::flush;
      return kExitUsage;
    }
    traced = std::make_unique<TracedLink>(platform.link, platform.clock, *trace_file);
  }
  CliRun run(options, platform, traced ? *traced : platform.link);
  return run.Run(traced.get());
}

}  // namespace trelvin2

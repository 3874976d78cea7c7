#include "app/cli/cli_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

#include "ui/settings_flow.h"

namespace trelvin2 {
namespace {

// A batch longer than this is a typing error, not a production run.
constexpr int kMaxRepeatCount = 1'000'000;

std::string JoinRates() {
  std::string all;
  for (std::string_view rate : kRateTexts) {
    if (!all.empty()) all += ", ";
    all += rate;
  }
  return all;
}

std::optional<int> WholeNumber(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Walks the arguments, handing out option names and their values.
class ArgumentReader {
 public:
  explicit ArgumentReader(const std::vector<std::string>& args) : args_(args) {}

  bool Done() const { return next_ >= args_.size(); }

  // The next option's name; its "=value" part, if any, is kept for Value().
  std::string NextName() {
    std::string arg = args_[next_++];
    inline_value_.reset();
    const std::size_t equals = arg.find('=');
    if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      inline_value_ = arg.substr(equals + 1);
      arg.resize(equals);
    }
    return arg;
  }

  bool HasInlineValue() const { return inline_value_.has_value(); }

  std::optional<std::string> Value() {
    if (inline_value_) return std::exchange(inline_value_, std::nullopt);
    if (Done()) return std::nullopt;
    return args_[next_++];
  }

  // The next argument, if it is a number and not an option of its own.
  std::optional<int> OptionalNumber() {
    if (inline_value_) return WholeNumber(*std::exchange(inline_value_, std::nullopt));
    if (Done()) return std::nullopt;
    const std::optional<int> number = WholeNumber(args_[next_]);
    if (number) ++next_;
    return number;
  }

 private:
  const std::vector<std::string>& args_;
  std::size_t next_ = 0;
  std::optional<std::string> inline_value_;
};

ParsedOptions Error(std::string text) { return {std::nullopt, std::move(text)}; }

}  // namespace

ParsedOptions ParseCliOptions(const std::vector<std::string>& args,
                              const std::function<bool(std::string_view)>& port_name_ok) {
  CliOptions options;
  ArgumentReader reader(args);
  bool repeat_count_invalid = false;
  while (!reader.Done()) {
    const std::string name = reader.NextName();
    if (name == "--help" || name == "-h") {
      options.help = true;
    } else if (name == "--list-ports") {
      options.list_ports = true;
    } else if (name == "--json") {
      options.json = true;
    } else if (name == "--repeat") {
      options.repeat = true;
      const bool given = reader.HasInlineValue();
      const std::optional<int> count = reader.OptionalNumber();
      if ((given && !count) || (count && (*count < 1 || *count > kMaxRepeatCount))) {
        repeat_count_invalid = true;
      }
      options.repeat_count = count.value_or(0);
    } else if (name == "--port" || name == "--baud" || name == "--framing" || name == "--trace") {
      const std::optional<std::string> value = reader.Value();
      if (!value || value->empty()) return Error(name + " braucht einen Wert");
      if (name == "--port") {
        if (!port_name_ok(*value)) {
          return Error("--port " + *value +
                       ": erlaubt sind com1 bis com9 oder der Pfad eines seriellen Geräts");
        }
        options.port = *value;
      } else if (name == "--baud") {
        const auto* rate = std::find(std::begin(kRateTexts), std::end(kRateTexts), *value);
        if (rate == std::end(kRateTexts)) {
          return Error("--baud " + *value + ": erlaubt sind " + JoinRates());
        }
        options.rate_text = *value;
        options.settings.baud_code = static_cast<std::uint8_t>(rate - std::begin(kRateTexts));
      } else if (name == "--framing") {
        std::string framing = *value;
        for (char& c : framing) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const std::optional<std::uint8_t> code = ProtocolCodeOf(framing);
        if (!code) return Error("--framing " + *value + ": erlaubt sind 8N1, 8E1, 8O1");
        options.framing_text = framing;
        options.settings.protocol_code = *code;
      } else {
        options.trace_path = *value;
      }
    } else {
      return Error("unbekannte Option " + name);
    }
  }
  if (repeat_count_invalid) {
    return Error("--repeat: die Anzahl der Einheiten ist eine ganze Zahl ab 1");
  }
  if (!options.help && !options.list_ports && options.port.empty()) {
    return Error("--port fehlt: an welchem Port hängt das Trelvin 2?");
  }
  return {options, {}};
}

}  // namespace trelvin2

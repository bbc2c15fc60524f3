#include "Format.h"

#include <charconv>
#include <string>
#include <string_view>

#include "Exceptions.h"
#include "FloatFormat.h"

namespace platform {
namespace {

// Widths and precisions above this are taken for a broken format, so that
// a text from outside cannot make one placeholder allocate gigabytes.
constexpr int kLargestWidth = 65535;

enum class Fault { None, Invalid, Missing };

// The placeholder text as the class library's messages quote it: the start
// of the format, at most 31 bytes, never half a double-byte character.
AnsiString QuotedFormat(const AnsiString& format) { return format.Truncated(31); }

std::string Digits(std::uint64_t value, int base) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, base);
  std::string text(buffer, result.ptr);
  for (char& c : text)
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

void ZeroPad(std::string& digits, int precision) {
  if (precision > static_cast<int>(digits.size()))
    digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
}

bool IsInteger(const FormatArg& a) {
  return a.kind() == FormatArg::Kind::Integer || a.kind() == FormatArg::Kind::Int64;
}

class Formatter {
 public:
  Formatter(std::string_view format, std::span<const FormatArg> args) : f_(format), args_(args) {}

  // Formats the placeholder whose "%" is at f_[i - 1]; on return i is past
  // what was read, whether or not it could be formatted.
  Fault Placeholder(std::size_t& i, std::string& piece) {
    // [index ":"]
    std::size_t save = i;
    int index = -1;
    if (i < f_.size() && f_[i] == '*') {
      ++i;
      if (i < f_.size() && f_[i] == ':') {
        Fault fault = StarValue(index);
        if (fault != Fault::None) return fault;
        ++i;
      } else {
        i = save;
      }
    } else if (i < f_.size() && IsDigit(f_[i])) {
      int value = 0;
      bool fits = Number(i, value);
      if (i < f_.size() && f_[i] == ':') {
        if (!fits) return Fault::Invalid;
        index = value;
        ++i;
      } else {
        i = save;
      }
    }
    if (index >= 0) next_ = static_cast<std::size_t>(index);

    bool left = false;
    if (i < f_.size() && f_[i] == '-') {
      left = true;
      ++i;
    }
    int width = 0;
    if (i < f_.size() && f_[i] == '*') {
      ++i;
      Fault fault = StarValue(width);
      if (fault != Fault::None) return fault;
      if (width < 0) width = width == INT32_MIN ? kLargestWidth + 1 : -width;
      if (width > kLargestWidth) return Fault::Invalid;
    } else if (i < f_.size() && IsDigit(f_[i])) {
      if (!Number(i, width)) return Fault::Invalid;
    }
    int precision = -1;
    if (i < f_.size() && f_[i] == '.') {
      ++i;
      precision = 0;
      if (i < f_.size() && f_[i] == '*') {
        ++i;
        Fault fault = StarValue(precision);
        if (fault != Fault::None) return fault;
        if (precision < 0) precision = 0;
        if (precision > kLargestWidth) return Fault::Invalid;
      } else if (i < f_.size() && IsDigit(f_[i])) {
        if (!Number(i, precision)) return Fault::Invalid;
      }
    }
    if (i >= f_.size()) return Fault::Invalid;  // the text ends inside the placeholder
    char type = f_[i++];
    if (type >= 'A' && type <= 'Z') type = static_cast<char>(type - 'A' + 'a');

    std::string text;
    if (type == '%') {
      text = "%";
    } else if (std::string_view("dufegnmpsx").find(type) == std::string_view::npos) {
      return Fault::Invalid;  // not a placeholder: it takes no argument
    } else {
      if (next_ >= args_.size()) return Fault::Missing;
      const FormatArg& arg = args_[next_];
      Fault fault = Convert(type, arg, precision, text);
      // The argument belonged to this placeholder even when it does not
      // fit: SafeFormat gives the next argument to the next placeholder.
      ++next_;
      if (fault != Fault::None) return fault;
    }
    if (static_cast<int>(text.size()) < width) {
      std::string pad(static_cast<std::size_t>(width) - text.size(), ' ');
      text = left ? text + pad : pad + text;
    }
    piece = std::move(text);
    return Fault::None;
  }

 private:
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  // Reads decimal digits; false when the number is larger than any width.
  bool Number(std::size_t& i, int& value) {
    long long v = 0;
    bool fits = true;
    while (i < f_.size() && IsDigit(f_[i])) {
      if (fits) v = v * 10 + (f_[i] - '0');
      if (v > kLargestWidth) fits = false;
      ++i;
    }
    value = fits ? static_cast<int>(v) : kLargestWidth + 1;
    return fits;
  }

  // The next argument as the value of a "*".
  Fault StarValue(int& value) {
    if (next_ >= args_.size()) return Fault::Missing;
    const FormatArg& arg = args_[next_];
    if (!IsInteger(arg) || arg.AsInt() < INT32_MIN || arg.AsInt() > INT32_MAX) return Fault::Invalid;
    value = static_cast<int>(arg.AsInt());
    ++next_;
    return Fault::None;
  }

  static Fault Convert(char type, const FormatArg& arg, int precision, std::string& text) {
    using Kind = FormatArg::Kind;
    switch (type) {
      case 'd': {
        if (!IsInteger(arg)) return Fault::Invalid;
        std::int64_t v = arg.AsInt();
        std::uint64_t magnitude = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
        text = Digits(magnitude, 10);
        ZeroPad(text, precision);
        if (v < 0) text.insert(0, 1, '-');
        return Fault::None;
      }
      case 'u':
      case 'x': {
        if (!IsInteger(arg)) return Fault::Invalid;
        // An Integer is shown as its 32 bits, an Int64 as its 64 bits.
        std::uint64_t bits = arg.kind() == Kind::Integer
                                 ? static_cast<std::uint32_t>(static_cast<std::int32_t>(arg.AsInt()))
                                 : static_cast<std::uint64_t>(arg.AsInt());
        text = Digits(bits, type == 'u' ? 10 : 16);
        ZeroPad(text, precision);
        return Fault::None;
      }
      case 'e':
      case 'f':
      case 'g':
      case 'n':
      case 'm':
        if (arg.kind() == Kind::Extended) text = FormatFloatPlaceholder(type, arg.AsFloat(), precision).Bytes();
        else if (arg.kind() == Kind::Currency)
          text = FormatFloatPlaceholder(type, Currency::FromScaled(arg.AsInt()), precision).Bytes();
        else return Fault::Invalid;
        return Fault::None;
      case 's':
        if (arg.kind() != Kind::String && arg.kind() != Kind::Char) return Fault::Invalid;
        text = precision >= 0 ? arg.AsText().Truncated(static_cast<std::size_t>(precision)).Bytes()
                              : arg.AsText().Bytes();
        return Fault::None;
      case 'p': {
        if (arg.kind() != Kind::Pointer) return Fault::Invalid;
        text = Digits(static_cast<std::uint64_t>(arg.AsInt()), 16);
        ZeroPad(text, static_cast<int>(2 * sizeof(void*)));
        return Fault::None;
      }
      default:
        return Fault::Invalid;
    }
  }

  std::string_view f_;
  std::span<const FormatArg> args_;
  std::size_t next_ = 0;
};

// Runs the format; a placeholder that cannot be filled raises (Format) or
// stays as it stands (SafeFormat).
AnsiString Run(const AnsiString& format, std::span<const FormatArg> args, bool safe) {
  std::string_view f = format.View();
  Formatter formatter(f, args);
  std::string out;
  std::size_t i = 0;
  while (i < f.size()) {
    // "%" (0x25) is never the trail byte of a double-byte character, so
    // the text can be scanned byte by byte.
    std::size_t percent = f.find('%', i);
    if (percent == std::string_view::npos) {
      out.append(f.substr(i));
      break;
    }
    out.append(f.substr(i, percent - i));
    i = percent + 1;
    std::string piece;
    Fault fault = formatter.Placeholder(i, piece);
    if (fault == Fault::None) {
      out += piece;
      continue;
    }
    if (!safe) {
      if (fault == Fault::Missing)
        throw EConvertError("No argument for format '" + QuotedFormat(format) + "'");
      throw EConvertError("Format '" + QuotedFormat(format) + "' invalid or incompatible with argument");
    }
    out.append(f.substr(percent, i - percent));
  }
  return AnsiString(out.data(), out.size());
}

}  // namespace

AnsiString Format(const AnsiString& format, std::span<const FormatArg> args) {
  return Run(format, args, false);
}

AnsiString SafeFormat(const AnsiString& format, std::span<const FormatArg> args) noexcept {
  try {
    return Run(format, args, true);
  } catch (...) {
    // Only memory exhaustion can get here; the text itself is the neutral
    // result.
    try {
      return format;
    } catch (...) {
      return AnsiString();
    }
  }
}

}  // namespace platform

#include "transcoder/VlcOptions.h"

#include <locale>
#include <sstream>

#include "base/TextUtil.h"
#include "transcoder/VlcLocate.h"

namespace {

constexpr const char* kPrefix = "conf::";
constexpr std::size_t kMaxOptionValue = 255;

bool IsDigits(const std::string& text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// A decimal fraction in either notation; 0 when the text is not one.
double ParseFraction(const std::string& text) {
  std::istringstream stream(ReplaceAll(text, ",", "."));
  stream.imbue(std::locale::classic());
  double value = 0;
  return stream >> value ? value : 0;
}

// The media option text: the name after "conf" (":" + the bare name), "=", the value.
std::string EntryText(const std::string& name, const std::string& value) {
  return (name.size() > 5 ? name.substr(5) : std::string()) + "=" + value;
}

}  // namespace

std::string VlcOptionName(const std::string& name) {
  return name.find(kPrefix) == std::string::npos ? kPrefix + name : name;
}

bool IsVlcPictureOption(const std::string& name) {
  return name == "conf::contrast" || name == "conf::brightness" || name == "conf::saturation" ||
         name == "conf::gamma";
}

VlcOptionChange PlanVlcOption(const std::string& name, const std::string& value, int level, bool hasMediaPlayer) {
  VlcOptionChange change{VlcOptionAction::kStore, VlcOptionName(name), value};
  if (change.name == "conf::drawable") {
    if (level == kVlcLevelException) change.action = VlcOptionAction::kSetParentWindow;
    if (level >= kVlcLevelMedia && hasMediaPlayer) change.action = VlcOptionAction::kSetPlayerWindow;
  } else if (change.name == "conf::sout") {
    change.value = ReplaceAll(value, ",url=\"", ",dst=\"");
  } else if (change.name == "conf::timeshift-dir") {
    change.name = "conf::input-timeshift-path";
  } else if (change.name == "conf::timeshift-granularity") {
    change.name = "conf::input-timeshift-granularity";
    // In 64 bits: 2048 megabytes and more do not fit the 32 bits of the value itself.
    change.value = std::to_string(static_cast<long long>(ParseInteger(value)) * 1048576);
  }
  return change;
}

VlcClassicVariable ClassicVlcVariable(const std::string& name, const std::string& value) {
  const std::string full = VlcOptionName(name);
  VlcClassicVariable variable{full == "conf::drawable" ? "drawable" : full, VlcClassicVariable::Kind::kText, 0, 0,
                              value};
  if (IsVlcPictureOption(full)) {
    variable.kind = VlcClassicVariable::Kind::kFloat;
    variable.number = ParseFraction(value);
  } else if (IsDigits(value)) {
    variable.kind = VlcClassicVariable::Kind::kInteger;
    variable.integer = ParseInteger(value);
  }
  return variable;
}

int VlcOptionStore::IndexOf(const std::string& name) const {
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (names_[i] == name) return static_cast<int>(i);
  }
  return -1;
}

void VlcOptionStore::Put(int index, const std::string& name, const std::string& value) {
  if (index < 0) {
    names_.push_back(name);
    entries_.push_back(EntryText(name, value));
  } else {
    entries_[index] = EntryText(name, value);
  }
}

void VlcOptionStore::Remove(int index) {
  names_.erase(names_.begin() + index);
  entries_.erase(entries_.begin() + index);
}

void VlcOptionStore::Set(const std::string& name, const std::string& value) {
  const std::string full = VlcOptionName(name);
  const int index = IndexOf(full);
  const bool unset = value.empty() || (value == "0" && !IsVlcPictureOption(full));
  if (!unset) {
    Put(index, full, value);
  } else if (index >= 0) {
    Remove(index);
  }
}

void VlcOptionStore::SetClassic(const std::string& name, const std::string& value) {
  const std::string full = VlcOptionName(name);
  const int index = IndexOf(full);
  if (index < 0 && !value.empty()) Put(index, full, value);
  if (index >= 0 && value.empty()) Remove(index);
}

std::string VlcOptionStore::Get(const std::string& name) const {
  const int index = IndexOf(VlcOptionName(name));
  if (index < 0) return std::string();
  const std::string& entry = entries_[index];
  return entry.substr(entry.find('=') + 1, kMaxOptionValue);
}

std::vector<std::string> VlcOptionStore::MediaOptions() const {
  std::vector<std::string> options;
  for (const std::string& entry : entries_) {
    options.push_back(StartsWith(entry, ":no-") ? entry.substr(0, entry.find('=')) : entry);
  }
  return options;
}

void VlcOptionStore::Clear() {
  names_.clear();
  entries_.clear();
}

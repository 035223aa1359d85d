#pragma once
// The player's options: name/value pairs kept as libvlc media options (":name=value"), so that every new media
// starts with them. Names carry the prefix "conf::"; a few names are rewritten or act at once instead.
#include <string>
#include <vector>

// name with "conf::" in front, unless it already holds it.
std::string VlcOptionName(const std::string& name);

// The picture settings, whose value "0" is a setting and not a removal ("conf::contrast" ...).
bool IsVlcPictureOption(const std::string& name);

// What setting an option does, from level 9 on.
enum class VlcOptionAction {
  kStore,            // kept for the next media
  kSetParentWindow,  // the video window, given to the instance at once (level 9)
  kSetPlayerWindow,  // the video window, given to the current player at once (levels 11 and 12)
};

struct VlcOptionChange {
  VlcOptionAction action;
  std::string name;   // as stored, with "conf::"
  std::string value;  // after the rewriting of its name's rule
};

// The special names: "drawable" acts at once where it can, a "sout" chain has its `,url="` turned into `,dst="`,
// "timeshift-dir" and "timeshift-granularity" (megabytes, stored in bytes) take libvlc's newer names.
VlcOptionChange PlanVlcOption(const std::string& name, const std::string& value, int level, bool hasMediaPlayer);

// At level 8 an option is set at once as a libvlc variable of one of three kinds.
struct VlcClassicVariable {
  enum class Kind { kFloat, kInteger, kText };
  std::string name;  // "drawable" for the video window, otherwise the "conf::" name
  Kind kind;
  double number;  // kFloat
  int integer;    // kInteger
  std::string text;
};

// The picture settings are decimal fractions ("," or "."), digits alone an integer, anything else text.
VlcClassicVariable ClassicVlcVariable(const std::string& name, const std::string& value);

// The options, in the order they were first set; a name occurs at most once (compared case-sensitively).
class VlcOptionStore {
 public:
  // From level 9 on: an empty value, and "0" for every name but the picture settings, removes the option;
  // another value adds or replaces it.
  void Set(const std::string& name, const std::string& value);
  // Level 8: a new name with a value is added, a known one with an empty value removed, anything else left as is.
  void SetClassic(const std::string& name, const std::string& value);
  // The value of an option (name with or without "conf::"), at most 255 characters; "" when not set.
  std::string Get(const std::string& name) const;
  // The media options for the next media, in order; ":no-..." switches lose their "=value".
  std::vector<std::string> MediaOptions() const;
  void Clear();

  const std::vector<std::string>& Names() const { return names_; }
  const std::vector<std::string>& Entries() const { return entries_; }

 private:
  int IndexOf(const std::string& name) const;
  void Put(int index, const std::string& name, const std::string& value);
  void Remove(int index);

  std::vector<std::string> names_;    // "conf::" + name
  std::vector<std::string> entries_;  // ":" + name + "=" + value, parallel to names_
};

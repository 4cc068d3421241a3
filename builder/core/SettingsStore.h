// The place where the builder keeps its dialog folders and its style between runs:
// the registry key "Software\Quendt\VARDEX\v1.5" on Windows, a map in tests and in
// the native tool. Values are 32-bit numbers or strings; a boolean is a number,
// 0 or 1, read back as true when non-zero.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>

namespace builder {

inline constexpr char kSettingsKey[] = "Software\\Quendt\\VARDEX\\v1.5";

class TSettingsStore {
 public:
  virtual ~TSettingsStore() = default;
  // None when the value is missing or is not of the asked kind.
  virtual std::optional<int32_t> ReadInteger(const std::string& name) const = 0;
  virtual std::optional<std::string> ReadString(const std::string& name) const = 0;
  virtual void WriteInteger(const std::string& name, int32_t value) = 0;
  virtual void WriteString(const std::string& name, const std::string& value) = 0;

  std::optional<bool> ReadBool(const std::string& name) const;
  void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }
};

// A store in memory.
class TMapSettingsStore : public TSettingsStore {
 public:
  using Value = std::variant<int32_t, std::string>;

  std::optional<int32_t> ReadInteger(const std::string& name) const override;
  std::optional<std::string> ReadString(const std::string& name) const override;
  void WriteInteger(const std::string& name, int32_t value) override { values_[name] = value; }
  void WriteString(const std::string& name, const std::string& value) override {
    values_[name] = value;
  }

  void Erase(const std::string& name) { values_.erase(name); }
  const std::map<std::string, Value>& Values() const { return values_; }

 private:
  std::map<std::string, Value> values_;
};

}  // namespace builder

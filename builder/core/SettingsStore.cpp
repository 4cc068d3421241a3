#include "builder/core/SettingsStore.h"

namespace builder {

std::optional<bool> TSettingsStore::ReadBool(const std::string& name) const {
  const auto v = ReadInteger(name);
  if (!v) return std::nullopt;
  return *v != 0;
}

std::optional<int32_t> TMapSettingsStore::ReadInteger(const std::string& name) const {
  const auto it = values_.find(name);
  if (it == values_.end() || !std::holds_alternative<int32_t>(it->second)) return std::nullopt;
  return std::get<int32_t>(it->second);
}

std::optional<std::string> TMapSettingsStore::ReadString(const std::string& name) const {
  const auto it = values_.find(name);
  if (it == values_.end() || !std::holds_alternative<std::string>(it->second)) return std::nullopt;
  return std::get<std::string>(it->second);
}

}  // namespace builder

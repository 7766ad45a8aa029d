#include "hotsync/install_flag.h"

#include <cstdint>
#include <string>

#include "settings/settings_store.h"
#include "hotsync/install_target.h"
#include "platform/registry.h"

namespace quillet {

std::optional<int> findHotsyncNumber(std::string_view usersFile, std::string_view displayName) {
  const std::size_t length = displayName.size();
  // An empty name would match before any zero byte; no length byte announces more than 255.
  if (length == 0 || length > 255) return std::nullopt;
  for (std::size_t p = 5; p + length <= usersFile.size(); ++p) {
    if (static_cast<unsigned char>(usersFile[p - 1]) != length ||
        usersFile.compare(p, length, displayName) != 0) {
      continue;
    }
    const auto low = static_cast<unsigned char>(usersFile[p - 5]);
    const auto high = static_cast<unsigned char>(usersFile[p - 4]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
  }
  return std::nullopt;
}

std::string installFlagPath(const PalmDesktopKeys& keys, int hotsyncNumber) {
  return std::string(keys.pilotDesktop) + "\\HotSync Manager\\Install" +
         std::to_string(hotsyncNumber);
}

int markUserForInstall(const PalmUserList& users, std::string_view userName,
                       const PalmDesktopKeys& keys) {
  if (userNamed(users, userName) == nullptr) return -1;
  std::string usersFile;
  if (!readUsersFile(fieldText(users.palmFolder), usersFile)) return -1;
  const std::optional<int> number = findHotsyncNumber(usersFile, userName);
  if (!number) return -1;
  const std::uint32_t flag = 1;
  return writeSetting(installFlagPath(keys, *number).c_str(), &flag, sizeof flag, kRegDword);
}

}  // namespace quillet

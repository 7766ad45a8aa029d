// Any users.dat and any folder name: the display name the scan takes is a piece of the
// file or nothing, it fits its 50-byte field, and the HotSync number lookup that the
// install flag needs stays inside the file.
#include <cstdlib>
#include <string_view>

#include "hotsync/install_flag.h"
#include "hotsync/user_scan.h"

using namespace quillet;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t nameLength = data[0] % (size);  // the folder name, then the file
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string_view folderName = input.substr(0, nameLength);
  const std::string_view usersFile = input.substr(folderName.size());

  const std::string_view displayName = findDisplayName(usersFile, folderName);
  if (!displayName.empty() && (displayName.data() < usersFile.data() ||
                               displayName.data() + displayName.size() >
                                   usersFile.data() + usersFile.size())) {
    std::abort();  // the name must be a piece of the file
  }
  PalmUser user;
  setFieldText(user.userName, displayName.empty() ? folderName : displayName);
  if (fieldText(user.userName).size() >= kPalmUserNameSize) std::abort();
  static_cast<void>(findHotsyncNumber(usersFile, fieldText(user.userName)));
  return 0;
}

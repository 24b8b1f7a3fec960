#include "lib/current_folder_scope.h"

#include "platform/file_status_memo.h"

#include <system_error>

namespace avrtazu {

CurrentFolderScope::CurrentFolderScope(const std::string& folder) {
    std::error_code failure;
    m_previous = std::filesystem::current_path(failure);
    std::filesystem::current_path(folder, failure);
    FileStatusMemo::folderChanged();
}

CurrentFolderScope::~CurrentFolderScope() {
    std::error_code ignored;
    std::filesystem::current_path(m_previous, ignored);
    FileStatusMemo::folderChanged();
}

} // namespace avrtazu

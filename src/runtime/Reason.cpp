#include "Reason.h"

#include <cerrno>
#include <cstring>

namespace vinta {

namespace {

const char* InWords(int err) {
    switch (err) {
        case ENOSPC: return "ディスクがいっぱいです";
        case EDQUOT: return "ディスクの割り当てを使い切りました";
        case EACCES:
        case EPERM: return "書き込む権限がありません";
        case EROFS: return "読み取り専用の場所です";
        case ENOENT:
        case ENOTDIR: return "フォルダーがありません";
        case EISDIR: return "同じ名前のフォルダーがあります";
        case EFBIG: return "ファイルが大きすぎます";
        case EIO: return "ディスクの読み書きに失敗しました";
        default: return nullptr;
    }
}

}  // namespace

std::string ReasonText(int err) {
    const std::string system = std::strerror(err);
    const char* words = InWords(err);
    return words ? std::string(words) + "（" + system + "）" : system;
}

}  // namespace vinta

#include "app/browse/fetch_notice.h"

#include "text/text_utils.h"

namespace {

constexpr char kRetryHint[] = "，按 F5 或点击这里重试";

std::string Cause(const FetchOutcome& outcome) {
    switch (outcome.status) {
        case FetchStatus::kCannotConnect:
            return "无法连接到游戏目录服务";
        case FetchStatus::kCertificateInvalid:
            return "证书无效，无法安全连接";
        case FetchStatus::kSecureChannelFailed:
            return "无法建立安全连接";
        case FetchStatus::kProxyLogin:
            return "代理服务器需要登录，请检查系统的代理设置";
        case FetchStatus::kTimedOut:
            return "游戏目录服务没有响应";
        case FetchStatus::kInterrupted:
            return "与游戏目录服务的连接中断了";
        case FetchStatus::kHttpError:
            return "游戏目录服务出错（HTTP " + std::to_string(outcome.httpStatus) + "）";
        case FetchStatus::kTooLarge:
            return "游戏目录服务发来的内容太大";
        case FetchStatus::kNotCatalogue:
            return "收到的内容无法识别";
        case FetchStatus::kSucceeded:
        case FetchStatus::kCancelled:
        case FetchStatus::kFailed:
            break;
    }
    return "加载游戏列表时出错";
}

}  // namespace

std::string FetchFailureNotice(const FetchOutcome& outcome) {
    return Cause(outcome) + kRetryHint;
}

std::string NoSearchResultsNotice(std::string_view searchText) {
    return JoinBytes({"没有找到与“", searchText, "”相关的游戏"});
}

const char kEmptySearchNotice[] = "请输入要搜索的游戏名称";

bool IsBlankSearchText(std::string_view searchText) {
    constexpr std::string_view kFullWidthBlank = "\xA1\xA1";  // U+3000 in GBK
    for (size_t i = 0; i < searchText.size();) {
        if (searchText[i] == ' ' || searchText[i] == '\t') {
            ++i;
        } else if (searchText.substr(i, 2) == kFullWidthBlank) {
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

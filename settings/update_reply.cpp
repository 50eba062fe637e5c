#include "settings/update_reply.h"

#include <cstdint>

const char updateTextChecking[] = "正在检查更新...";
const char updateTextFailed[] = "检查失败，请稍后重试";
const char updateTextLatest[] = "已是最新版本";
const char updateTextNewer[] = "有新版本，请到官网更新";

int32_t ParseUpdateReply(const char* body, size_t length)
{
    if (length > kUpdateReplyLimit)
        length = kUpdateReplyLimit;
    size_t at = 0;
    while (at < length && body[at] != 0 && (body[at] < '0' || body[at] > '9'))
        at++;
    int32_t number = 0;
    while (at < length && body[at] >= '0' && body[at] <= '9') {
        int32_t digit = body[at] - '0';
        if (number > (INT32_MAX - digit) / 10)
            return INT32_MAX;
        number = number * 10 + digit;
        at++;
    }
    return number;
}

const char* UpdateResultText(int32_t number)
{
    if (number <= 0)
        return updateTextFailed;
    if (number <= buildVersion)
        return updateTextLatest;
    return updateTextNewer;
}

#include "util/FileFailure.h"

#include <cerrno>

EFileFailure FileFailureOf(int systemError) {
    switch (systemError) {
        case EROFS:
            return EFileFailure::ReadOnlyDrive;
        case EACCES:
        case EPERM:
            return EFileFailure::NoPermission;
        case ENOSPC:
        case EDQUOT:
            return EFileFailure::DiskFull;
        case ENAMETOOLONG:
            return EFileFailure::NameTooLong;
        case ENOENT:
            return EFileFailure::Missing;
        case ENOTDIR:
            return EFileFailure::FileInPath;
        case EISDIR:
        case ENXIO:
            return EFileFailure::NotRegularFile;
        default:
            return EFileFailure::Unknown;
    }
}

bool DiskMayBeFull(EFileFailure cause) {
    return cause == EFileFailure::DiskFull || cause == EFileFailure::Unknown;
}

const char* FileFailureText(EFileFailure cause) {
    switch (cause) {
        case EFileFailure::ReadOnlyFile:
            return "は読み取り専用のﾌｧｲﾙです。変更せずに残しました。";
        case EFileFailure::ReadOnlyFolder:
            return "は書き込みできないﾌｫﾙﾀﾞです。何も書き込みませんでした。";
        case EFileFailure::ReadOnlyDrive:
            return "は読み取り専用のﾄﾞﾗｲﾌﾞにあります。何も書き込みませんでした。";
        case EFileFailure::NoPermission:
            return "を使う権限がありません。";
        case EFileFailure::DiskFull:
            return "に書き込めません。ﾃﾞｨｽｸの空き容量が足りません。";
        case EFileFailure::NameTooLong:
            return "は名前が長すぎるため、書き込めません。";
        case EFileFailure::Missing:
            return "が見つかりません。";
        case EFileFailure::FileInPath:
            return "のﾊﾟｽの途中にﾌｫﾙﾀﾞではないﾌｧｲﾙがあります。";
        case EFileFailure::NotRegularFile:
            return "は通常のﾌｧｲﾙではありません。";
        case EFileFailure::Unknown:
            break;
    }
    return "の読み書きに失敗しました。";
}

std::string FileFailureMessage(const std::string& path, EFileFailure cause, int systemError) {
    std::string message = path + FileFailureText(cause);
    if (cause == EFileFailure::Unknown && systemError != 0) {
        message += "(ｴﾗｰ番号 " + std::to_string(systemError) + ")";
    }
    return message;
}

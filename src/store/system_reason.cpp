#include "store/system_reason.h"

#include <cerrno>
#include <cstring>

namespace tulvo {
namespace {

const char* RussianReason(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "нет прав доступа";
        case ENOENT:
            return "нет такого файла или папки";
        case ENOTDIR:
            return "часть пути не является папкой";
        case EISDIR:
            return "это папка";
        case ENOSPC:
            return "нет места на диске";
        case EDQUOT:
            return "превышена дисковая квота";
        case EROFS:
            return "файловая система доступна только для чтения";
        case EIO:
            return "ошибка ввода-вывода";
        case ENAMETOOLONG:
            return "слишком длинное имя";
        case ELOOP:
            return "слишком много символических ссылок";
        case EMFILE:
        case ENFILE:
            return "открыто слишком много файлов";
        case ETXTBSY:
        case EBUSY:
            return "файл занят";
        case EINTR:
            return "операция прервана";
        default:
            return "системная ошибка";
    }
}

}  // namespace

std::string SystemReason(int error) {
    return std::string(RussianReason(error)) + " (" + std::strerror(error) + ")";
}

std::string FolderReason(const std::string& folder, int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "нет прав на запись в папку " + folder + " (" + std::strerror(error) + ")";
        case EROFS:
            return "папка " + folder + " на файловой системе только для чтения (" +
                   std::strerror(error) + ")";
        case ENOENT:
        case ENOTDIR:
            return "папка " + folder + " не существует или не является папкой (" +
                   std::strerror(error) + ")";
        default:
            return SystemReason(error);
    }
}

std::string LockReason(const std::string& lockPath, int error) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EROFS:
        case ENOENT:
        case ENOTDIR:
            return FolderReason(FolderOfPath(lockPath), error);
        default:
            return "файл блокировки " + lockPath + ": " + SystemReason(error);
    }
}

std::string FolderOfPath(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace tulvo

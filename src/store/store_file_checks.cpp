#include "store/store_file_checks.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "store/image_store.h"
#include "store/registry_key.h"
#include "store/registry_store.h"
#include "store/system_reason.h"

namespace tulvo::store_file_checks {
namespace {

// True when the store holds an image this program saved: settings blocks
// or a subscriber record.
bool StoreHasImage(RegistryStore& store) {
    for (std::string_view key : {kSettingKey, kDBaseKey}) {
        const RegistryKey open = store.OpenKey(key);
        if (open.ReadBinary("SettingFXO") || open.ReadBinary("AbInfo1")) {
            return true;
        }
    }
    return false;
}

// The nearest folder of path that exists.
std::filesystem::path NearestFolder(const std::string& path) {
    std::filesystem::path folder = std::filesystem::absolute(path).parent_path();
    struct stat info {};
    while (::stat(folder.c_str(), &info) != 0 && folder.has_parent_path() &&
           folder != folder.parent_path()) {
        folder = folder.parent_path();
    }
    return folder;
}

bool RefuseIrregular(const std::string& path, const struct stat& info, std::string& why) {
    if (S_ISREG(info.st_mode)) {
        return true;
    }
    why = "Файл " + path + " не является обычным файлом" +
          (S_ISDIR(info.st_mode) ? std::string(" (это папка)") : std::string()) +
          "; укажите обычный файл или «-».";
    return false;
}

}  // namespace

bool HoldsImage(const std::string& path, RegistryStore& store, std::string& why) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        why = "Файл настроек " + path + " не найден.";
        return false;
    }
    if (::access(path.c_str(), R_OK) != 0) {
        why = "Нет доступа на чтение файла настроек " + path + ".";
        return false;
    }
    if (!StoreHasImage(store)) {
        why = "Файл " + path + " не содержит настроек шлюза.";
        return false;
    }
    return true;
}

bool Writable(const std::string& path, std::string& why) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (!WriteProtected(path)) {
            return true;
        }
        why = "Невозможно сохранить файл " + path + "! Файл настроек защищён от записи.";
        return false;
    }
    const std::filesystem::path folder = NearestFolder(path);
    int error = ENOTDIR;
    if (::stat(folder.c_str(), &info) != 0) {
        error = errno;
    } else if (S_ISDIR(info.st_mode)) {
        if (::access(folder.c_str(), W_OK) == 0) {
            return true;
        }
        error = errno;
    }
    why = "Невозможно сохранить файл " + path + "! " + FolderReason(folder.string(), error) + ".";
    return false;
}

bool WriteProtected(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return false;
    }
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

bool UsableFileArgument(const std::string& path, std::string& why) {
    struct stat info {};
    if (path == "-" || ::stat(path.c_str(), &info) != 0) {
        return true;  // a missing file is told by whoever opens it
    }
    return RefuseIrregular(path, info, why);
}

bool SameFile(const std::string& path, const std::string& other) {
    struct stat a {};
    struct stat b {};
    if (::stat(path.c_str(), &a) != 0 || ::stat(other.c_str(), &b) != 0) {
        std::error_code error;
        const auto one = std::filesystem::weakly_canonical(path, error);
        const auto two = error ? one : std::filesystem::weakly_canonical(other, error);
        return error ? path == other : one == two;
    }
    if (S_ISCHR(a.st_mode) && S_ISCHR(b.st_mode)) {
        return a.st_rdev == b.st_rdev;
    }
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace tulvo::store_file_checks

#include <cstdio>
#include <memory>
#include <string>

#include "cli/cli_command.h"
#include "model/t_data.h"
#include "store/config_file.h"
#include "store/image_store.h"
#include "store/registry_store.h"
#include "store/store_file_checks.h"

namespace tulvo::cli {
namespace {

std::string ConfigPath(const CliArgs& args) {
    if (args.Positional().size() != 1 || args.Positional()[0].empty()) {
        throw UsageError("give one configuration file");
    }
    return args.Positional()[0];
}

// A store that exists but cannot be used is left as it is and the command
// stops.
bool OpenStore(RegistryStore& store, Operator& op) {
    if (store.Open()) {
        return true;
    }
    op.Error(store.Problem());
    return false;
}

// Ends the command's batch, which saves the store once.
bool CloseStore(RegistryStore::Batch& batch, RegistryStore& store) {
    if (batch.Close()) {
        return true;
    }
    std::fprintf(stderr, "tulvo: %s: %s\n", store.Path().c_str(), store.LastError().c_str());
    return false;
}

// A file argument that is no regular file (a FIFO without a peer would wait
// for ever) stops the command before anything is read or written.
bool UsableArgument(const std::string& path, Operator& op) {
    std::string why;
    if (store_file_checks::UsableFileArgument(path, why)) {
        return true;
    }
    op.Error(why);
    return false;
}

int RunExport(const CliArgs& args) {
    const std::string path = ConfigPath(args);
    RegistryStore store(args.StorePath());
    if (!UsableArgument(path, args.Op()) || !OpenStore(store, args.Op())) {
        return kExitFailed;
    }
    // A mistyped store would give a backup of factory defaults.
    std::string why;
    if (!store_file_checks::HoldsImage(store.Path(), store, why)) {
        args.Op().Error(why + " Экспорт отменён.");
        return kExitFailed;
    }
    RegistryStore::Batch batch(store);
    auto image = std::make_unique<TData>();
    LoadImage(*image, store);
    const bool written = SaveConfigFile(*image, path, args.Op());
    // Export leaves the image as it was loaded. Saving it back, as every
    // command and the desktop program do, changes no value the store holds;
    // it only adds the defaults of the values the store lacked.
    SaveImage(*image, store);
    const bool saved = CloseStore(batch, store);
    return written && saved ? kExitDone : kExitFailed;
}

// The file is loaded all or nothing; the image is saved also after refused
// values, as the desktop program keeps what was read, and the exit status then
// tells that messages were shown.
int RunImport(const CliArgs& args) {
    const std::string path = ConfigPath(args);
    RegistryStore store(args.StorePath());
    if (!UsableArgument(path, args.Op()) || !OpenStore(store, args.Op())) {
        return kExitFailed;
    }
    std::string why;
    if (!store_file_checks::Writable(store.Path(), why)) {
        args.Op().Error(why);
        return kExitFailed;
    }
    RegistryStore::Batch batch(store);
    auto image = std::make_unique<TData>();
    LoadImage(*image, store);
    const ConfigLoadResult result = LoadConfigFile(*image, path, args.Op());
    if (!result.Loaded()) {
        return kExitFailed;  // the image is as it was: nothing to save
    }
    SaveImage(*image, store);
    const bool saved = CloseStore(batch, store);
    return result.messages == 0 && saved ? kExitDone : kExitFailed;
}

}  // namespace

CliCommand ExportCommand() {
    return {"export", RunExport, "FILE", "store image -> configuration file", "", 1};
}

CliCommand ImportCommand() {
    return {"import", RunImport, "FILE", "configuration file -> store image", "", 1};
}

}  // namespace tulvo::cli

#include <cstdio>
#include <memory>
#include <string>

#include "cli/cli_command.h"
#include "model/t_data.h"
#include "store/config_file.h"
#include "store/image_store.h"
#include "store/registry_store.h"

namespace tulvo::cli {
namespace {

std::string ConfigPath(const CliArgs& args) {
    if (args.Positional().size() != 1 || args.Positional()[0].empty()) {
        throw UsageError("give one configuration file");
    }
    return args.Positional()[0];
}

bool SaveStore(TData& image, RegistryStore& store) {
    if (SaveImage(image, store)) {
        return true;
    }
    std::fprintf(stderr, "tulvo: %s: %s\n", store.Path().c_str(), store.LastError().c_str());
    return false;
}

int RunExport(const CliArgs& args) {
    const std::string path = ConfigPath(args);
    RegistryStore store(args.StorePath());
    auto image = std::make_unique<TData>();
    LoadImage(*image, store);
    const bool written = SaveConfigFile(*image, path, args.Op());
    const bool saved = SaveStore(*image, store);
    return written && saved ? kExitDone : kExitFailed;
}

// The image is saved also after refused values, as the desktop program keeps
// what was read; the exit status then tells that messages were shown.
int RunImport(const CliArgs& args) {
    const std::string path = ConfigPath(args);
    RegistryStore store(args.StorePath());
    auto image = std::make_unique<TData>();
    LoadImage(*image, store);
    const ConfigLoadResult result = LoadConfigFile(*image, path, args.Op());
    if (!result.Loaded()) {
        return kExitFailed;  // the image is as it was: nothing to save
    }
    const bool saved = SaveStore(*image, store);
    return result.messages == 0 && saved ? kExitDone : kExitFailed;
}

}  // namespace

CliCommand ExportCommand() {
    return {"export", RunExport, "FILE", "store image -> configuration file", ""};
}

CliCommand ImportCommand() {
    return {"import", RunImport, "FILE", "configuration file -> store image", ""};
}

}  // namespace tulvo::cli

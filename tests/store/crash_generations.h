#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calllog/call_log_row.h"
#include "model/t_data.h"

namespace tulvo::test {

// Generations of the three files the program saves, for the crash test: each
// generation g (1, 2, ...) of a seed is a whole, distinct content that can be
// rebuilt from (seed, g) alone. The generation number is written into many
// values of the content, and the number of subscribers, list entries and rows
// changes from one generation to the next, so two generations never have the
// same size and a mix of two cannot pass for either.
enum class SavedFile { Store, Config, CallLog };

std::optional<SavedFile> SavedFileNamed(std::string_view name);
std::string_view NameOf(SavedFile kind);
// The file name the program gives the file of that kind in its folder.
std::string FileNameOf(SavedFile kind);

// The configuration image of generation g: what the store and the
// configuration file are saved from. Subscriber 1's ID is g.
std::unique_ptr<TData> GenerationImage(std::uint32_t seed, std::uint64_t g);
// The call-log rows of generation g. Row 0's IdCodOutH is g.
std::vector<CallLogRow> GenerationRows(std::uint32_t seed, std::uint64_t g);

// Every value the store keeps of image, as bytes, so two images compare whole.
std::string StoredPrint(const TData& image);

// Saves generations of one file through the program's own save functions,
// started the way the program starts: the store is opened and the image
// loaded, the call-log file loaded, before the first save.
class GenerationWriter {
  public:
    GenerationWriter(SavedFile kind, std::string path, std::uint32_t seed);
    ~GenerationWriter();
    GenerationWriter(const GenerationWriter&) = delete;
    GenerationWriter& operator=(const GenerationWriter&) = delete;

    // Replaces the file with generation g. False with error's text when the
    // program reported a failure.
    bool Save(std::uint64_t g, std::string& error);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Reads the file with the program's own reader. The generation it holds,
// 0 when there is no file, or nothing with problem's text when the file is
// not exactly one whole generation.
std::optional<std::uint64_t> ReadGeneration(SavedFile kind, const std::string& path,
                                            std::uint32_t seed, std::string& problem);

}  // namespace tulvo::test

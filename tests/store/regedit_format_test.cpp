#include "store/regedit_format.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tulvo {
namespace {

constexpr const char* kSetting = "HKEY_CURRENT_USER\\SOFTWARE\\ZARQ\\MTulvo\\Setting";

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out += static_cast<char>(v);
    }
    return out;
}

TEST(RegeditFormatTest, ReadsWhatRegeditWrites) {
    const std::string text =
        "REGEDIT4\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\ZARQ\\MTulvo\\Setting]\r\n"
        "\"PortName\"=\"ttyACM0\"\r\n"
        "\"Quoted\"=\"a \\\"b\\\" c:\\\\d\\\\\"\r\n"
        "\"USB_COM\"=dword:0000abcd\r\n"
        "\"SettingFXO\"=hex:00,01,fe,\\\r\n"
        "  FF,10\r\n"
        "@=\"default\"\r\n"
        "\r\n";
    const RegistryTree tree = ReadRegeditText(text);
    // Key paths and names compare without regard to case.
    EXPECT_EQ(*tree.Find(kSetting, "portname"), RegistryValue::String("ttyACM0"));
    EXPECT_EQ(*tree.Find(kSetting, "Quoted"), RegistryValue::String("a \"b\" c:\\d\\"));
    EXPECT_EQ(*tree.Find(kSetting, "USB_COM"), RegistryValue::Dword(0xabcd));
    EXPECT_EQ(*tree.Find(kSetting, "SettingFXO"),
              RegistryValue::Binary(Bytes({0x00, 0x01, 0xfe, 0xff, 0x10})));
    EXPECT_EQ(*tree.Find(kSetting, ""), RegistryValue::String("default"));
}

// UTF-16LE bytes of text, as regedit writes its default export.
std::string Utf16(std::u16string_view text) {
    std::string out;
    for (char16_t unit : text) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    }
    return out;
}

TEST(RegeditFormatTest, ReadsAndWritesBackRegeditsUnicodeExport) {
    const std::string file =
        "\xFF\xFE" + Utf16(
                         u"Windows Registry Editor Version 5.00\r\n\r\n"
                         u"; exported by hand\r\n"
                         u"[HKEY_CURRENT_USER\\Software\\ZARQ\\MTulvo\\Setting]\r\n"
                         u"; the port\r\n"
                         u"\"PortName\"=\"\u0418\u0432\u0430\u043d \U0001F600\"\r\n"
                         u"\"Lines\"=hex(1):61,00,0a,00,00,00\r\n"
                         u"\"Multi\"=hex(7):61,00,00,00,00,00\r\n"
                         u"\"USB_COM\"=dword:00000001\r\n"
                         u"; last\r\n"
                         u"\r\n");
    RegeditReadStats stats;
    const RegistryTree tree = ReadRegeditText(file, {}, &stats);
    EXPECT_TRUE(stats.Whole());
    EXPECT_EQ(stats.format, (RegeditFormat{.version5 = true, .utf16 = true}));
    EXPECT_EQ(*tree.Find(kSetting, "PortName"),
              RegistryValue::String("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD \xF0\x9F\x98\x80"));
    EXPECT_EQ(*tree.Find(kSetting, "Lines"), RegistryValue::String("a\n"));
    EXPECT_EQ(*tree.Find(kSetting, "Multi"), (RegistryValue{7, Bytes({'a', 0, 0, 0, 0, 0})}));
    EXPECT_EQ(*tree.Find(kSetting, "USB_COM"), RegistryValue::Dword(1));
    EXPECT_EQ(WriteRegedit(tree, stats.format), file);  // comments and all, byte for byte
}

TEST(RegeditFormatTest, WritesRegedit4WithCrLfAndLowerCaseHex) {
    RegistryTree tree;
    tree.Set(kSetting, "PortName", RegistryValue::String("COM1"));
    tree.Set(kSetting, "USB_COM", RegistryValue::Dword(0xABCD));
    tree.Set(kSetting, "Path", RegistryValue::String("a\\\"b"));
    tree.Set(kSetting, "Raw", RegistryValue::Binary(Bytes({0x00, 0xAB})));
    EXPECT_EQ(WriteRegedit(tree),
              "REGEDIT4\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\ZARQ\\MTulvo\\Setting]\r\n"
              "\"PortName\"=\"COM1\"\r\n"
              "\"USB_COM\"=dword:0000abcd\r\n"
              "\"Path\"=\"a\\\\\\\"b\"\r\n"
              "\"Raw\"=hex:00,ab\r\n"
              "\r\n");
}

TEST(RegeditFormatTest, RoundTripsEveryKindOfValue) {
    RegistryTree tree;
    std::string allBytes;
    for (int i = 0; i < 256; ++i) {
        allBytes += static_cast<char>(i);
    }
    tree.Set(kSetting, "Long", RegistryValue::Binary(allBytes));
    tree.Set(kSetting, "Empty", RegistryValue::Binary(""));
    tree.Set(kSetting, "Name", RegistryValue::String("\xC8\xE2\xE0\xED \"x\" \\"));
    tree.Set(kSetting, "Lines", RegistryValue::String("one\r\ntwo"));
    tree.Set(kSetting, "EmptyText", RegistryValue::String(""));
    tree.Set(kSetting, "Odd", RegistryValue{7, Bytes({'a', 0, 0})});
    tree.Set("HKEY_CURRENT_USER\\Other", "Zero", RegistryValue::Dword(0));

    const std::string text = WriteRegedit(tree);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 81u) << line;  // wrapped like regedit, CR included
    }
    const RegistryTree back = ReadRegeditText(text);
    for (const auto& key : tree.Keys()) {
        for (const auto& [name, value] : key.values) {
            const RegistryValue* read = back.Find(key.path, name);
            ASSERT_NE(read, nullptr) << name;
            EXPECT_EQ(*read, value) << name;
        }
    }
    EXPECT_EQ(WriteRegedit(back), text);
}

TEST(RegeditFormatTest, SkipsDamagedLinesAndKeepsTheRest) {
    const std::string text =
        "REGEDIT4\n"
        "\"Orphan\"=dword:00000001\n"  // before any key
        "[HKEY_CURRENT_USER\\K]\n"
        "\"Good1\"=dword:00000001\n"
        "\"NoQuote=dword:1\n"
        "\"BadDword\"=dword:123456789\n"
        "\"BadHex\"=hex:0g,01\n"
        "\"BigByte\"=hex:100\n"
        "\"Unclosed\"=\"text\n"
        "\"Trailing\"=\"text\" junk\n"
        "\"NoEquals\" \"x\"\n"
        "\"Type\"=hex(zz):00\n"
        "garbage \x01\x02\xff\n"
        "; a comment\n"
        "\"Deleted\"=-\n"
        "[-HKEY_CURRENT_USER\\Gone]\n"
        "\"InDeletedKey\"=dword:00000001\n"
        "[HKEY_CURRENT_USER\\K]\n"
        "\"Good2\"=\"x\"\r\n"
        "\"Good3\"=hex:01,\\\n"
        "\"Good3Tail\"=dword:2";  // joined into Good3 as a continuation: Good3 is damaged
    RegeditReadStats stats;
    const RegistryTree tree = ReadRegeditText(text, {}, &stats);
    const char* key = "HKEY_CURRENT_USER\\K";
    EXPECT_EQ(tree.ValueCount(), 2u);
    EXPECT_NE(tree.Find(key, "Good1"), nullptr);
    EXPECT_NE(tree.Find(key, "Good2"), nullptr);
    EXPECT_GE(stats.skippedLines, 12u);
    EXPECT_FALSE(stats.truncated);
}

TEST(RegeditFormatTest, OverlongLinesAndFilesAreCutWithoutLosingWhatParsed) {
    RegeditLimits limits;
    limits.maxLineBytes = 100;
    limits.maxFileBytes = 4096;
    std::string text = "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"A\"=dword:1\n";
    text += "\"Long\"=hex:" + std::string(300, '0') + "\n";
    text += "\"Wrapped\"=hex:00,\\\n  " + std::string(200, '1') + ",\\\n  02\n";
    text += "\"B\"=dword:2\n";
    text += std::string(10000, 'x');  // beyond the file limit, no line end
    RegeditReadStats stats;
    const RegistryTree tree = ReadRegeditText(text, limits, &stats);
    const char* key = "HKEY_CURRENT_USER\\K";
    EXPECT_NE(tree.Find(key, "A"), nullptr);
    EXPECT_NE(tree.Find(key, "B"), nullptr);
    EXPECT_EQ(tree.Find(key, "Long"), nullptr);
    EXPECT_EQ(tree.Find(key, "Wrapped"), nullptr);
    EXPECT_TRUE(stats.truncated);
}

TEST(RegeditFormatTest, StopsAtTheValueAndKeyLimits) {
    RegeditLimits limits;
    limits.maxValues = 3;
    std::string text = "[HKEY_CURRENT_USER\\K]\n";
    for (int i = 0; i < 10; ++i) {
        text += "\"V" + std::to_string(i) + "\"=dword:1\n";
    }
    RegeditReadStats stats;
    EXPECT_EQ(ReadRegeditText(text, limits, &stats).ValueCount(), 3u);
    EXPECT_TRUE(stats.truncated);

    limits = {};
    limits.maxKeys = 2;
    text =
        "[HKEY_CURRENT_USER\\A]\n\"V\"=dword:1\n[HKEY_CURRENT_USER\\B]\n[hkey_current_user\\a]\n"
        "\"W\"=dword:1\n[HKEY_CURRENT_USER\\C]\n\"X\"=dword:1\n";
    const RegistryTree keys = ReadRegeditText(text, limits, &stats);
    EXPECT_EQ(keys.Keys().size(), 2u);
    EXPECT_EQ(keys.ValueCount(), 2u);  // V and W, both in A
    EXPECT_TRUE(stats.truncated);
}

}  // namespace
}  // namespace tulvo

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli.h"
#include "rom/rom_file_format.h"
#include "rom/rom_image.h"
#include "tests/support/files.h"

namespace tilewright {
namespace {

using test::readFile;
using test::ScratchFolder;
using test::writeFile;

// Standard streams held in strings; standard input is what the test puts there.
class FakeConsole final : public Console {
public:
    std::string output;
    std::string errors;
    std::string input;
    std::error_code outputError;  // what writing standard output is to have met

    void out(std::string_view bytes) override { output += bytes; }
    void err(std::string_view text) override { errors += text; }
    bool outIsTerminal() const override { return false; }
    std::optional<std::string> readInput() override { return std::exchange(input, {}); }
    std::error_code finishOutput() override { return outputError; }
};

struct Outcome {
    int status;
    std::string output;
    std::string errors;
};

Outcome run(std::initializer_list<std::string> arguments, const std::string& input = {}) {
    FakeConsole console;
    console.input = input;
    const std::vector<std::string> list(arguments);
    const int status = runCli(list, console);
    return {status, console.output, console.errors};
}

std::string bytesOf(const RomImage& image) {
    return {image.begin(), image.end()};
}

std::string fileText(const std::filesystem::path& path) {
    const std::vector<std::uint8_t> bytes = readFile(path);
    return {bytes.begin(), bytes.end()};
}

TEST(CliCreate, WritesTheCoresImageForEachIconAndShowReadsTheIconBack) {
    const ScratchFolder folder;
    const struct {
        std::string icon;
        std::string shownIcon;
    } cases[] = {{"0", "none (3F 3F 3F 3F)"}, {"1", "1 (3F FD 3F 3F)"}, {"2", "2 (FB FC FE 3F)"},
                 {"3", "3 (3F FD FE 3F)"},    {"4", "4 (FB FC FD FE)"}, {"5", "5 (3F 7D F9 3F)"}};
    for (const auto& c : cases) {
        SCOPED_TRACE("icon " + c.icon);
        const std::string path = (folder / ("icon" + c.icon)).string();
        ASSERT_EQ(run({"create", "space race", "--icon", c.icon, "-o", path}).status, 0);
        const auto icon = static_cast<IconChoice>(std::stoi(c.icon));
        EXPECT_EQ(fileText(path), bytesOf(buildRomImage("SPACE RACE", icon)));

        const Outcome shown = run({"show", path});
        EXPECT_EQ(shown.status, 0);
        EXPECT_EQ(shown.output, path +
                                    ": exactly what Tilewright writes for this name and icon\n"
                                    "  name: \"SPACE RACE\" (10 characters)\n  icon: " +
                                    c.shownIcon + "\n");
    }
}

TEST(CliCreate, ChoosesTheFormatByOptionOrExtension) {
    const ScratchFolder folder;
    constexpr std::string_view kHexLine = ":1010000050431C190A0C0E3F1B0A0C0E3F3E3E3E7D\n";
    constexpr std::string_view kSRecordLine = "S113100050431C190A0C0E3F1B0A0C0E3F3E3E3E79\n";
    const std::string binary = bytesOf(buildRomImage("SPACE RACE", IconChoice::Icon3));
    const struct {
        std::string file;
        std::string format;  // empty: no --format
        std::string_view expected;
        bool named = false;  // no -o: the file is the name, written in the current folder
    } cases[] = {{"a.hex", "", kHexLine},
                 {"b.IHX", "", kHexLine},
                 {"c.s19", "", kSRecordLine},
                 {"d.SREC", "", kSRecordLine},
                 {"e.mot", "", kSRecordLine},
                 {"f.bin", "", binary},
                 {"g", "ihex", kHexLine},
                 {"h.hex", "bin", binary},
                 {"i.bin", "srec", kSRecordLine},
                 {"SPACE RACE.HEX", "", ":1010000050431C190A0C0E3F1B0A0C0E24110E2112\n", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = (folder / c.file).string();
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(folder.path());
        const Outcome result =
            c.named            ? run({"create", c.file, "-i3"})
            : c.format.empty() ? run({"create", "SPACE RACE", "-i3", "-o", path})
                               : run({"create", "SPACE RACE", "-i3", "-o", path, "-f", c.format});
        std::filesystem::current_path(previous);
        ASSERT_EQ(result.status, 0) << result.errors;
        const std::string text = fileText(path);
        if (c.expected.size() == kRomSize) {
            EXPECT_EQ(text, c.expected);
        } else {
            // Record 257 holds 0x1000-0x100F; the end record closes the file.
            EXPECT_NE(text.find(c.expected), std::string::npos);
            EXPECT_TRUE(
                text.ends_with(c.expected[0] == ':' ? "\n:00000001FF\n" : "\nS9030000FC\n"));
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), c.expected[0] == ':' ? 513 : 514);
        }
    }
    // To standard output, binary unless told otherwise.
    EXPECT_EQ(run({"create", "space race", "-i", "3", "-o", "-"}).output, binary);
    EXPECT_TRUE(run({"create", "SPACE RACE", "-i3", "-o-", "-fihex"}).output.find(kHexLine) !=
                std::string::npos);
}

TEST(CliCreate, RefusesNamesThatCannotBecomeAnImageAndWritesNothing) {
    const ScratchFolder folder;
    const std::string path = (folder / "out").string();
    const struct {
        std::string name;
        std::string message;
    } cases[] = {
        {"", "the name is empty; give 1 to 19 characters"},
        {"ABCDEFGHIJKLMNOPQRST", "Name must be 19 Characters or Less."},
        {"AB~C", "character 3 of the name, \"~\" (U+007E), has no tile"},
        {"caf\xC3\xA9", "character 4 of the name, \"\xC3\xA9\" (U+00E9), has no tile"},
        {"A\tB", "character 2 of the name, (U+0009), has no tile"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome result = run({"create", c.name, "-o", path});
        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(result.errors.starts_with("tilewright-cli: " + c.message)) << result.errors;
        EXPECT_FALSE(std::filesystem::exists(path));
    }
}

TEST(CliCreate, ReplacesAnExistingFileOnlyWithForce) {
    const ScratchFolder folder;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    writeFile("SPACE RACE", "old");  // where the name alone writes, as the window offers it

    const Outcome refused = run({"create", "space race"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.errors,
              "tilewright-cli: could not save \"SPACE RACE\": A file of that name exists already "
              "(--force replaces it)\n");
    EXPECT_EQ(fileText("SPACE RACE"), "old");
    EXPECT_EQ(folder.entries(), std::set<std::string>{"SPACE RACE"});

    std::filesystem::create_hard_link("SPACE RACE", "other name");
    const Outcome replaced = run({"create", "space race", "--force"});
    EXPECT_EQ(replaced.status, 0);
    EXPECT_EQ(replaced.errors,
              "note: \"SPACE RACE\" had other hard links; they keep the old image\n");
    EXPECT_EQ(fileText("SPACE RACE"), bytesOf(buildRomImage("SPACE RACE", IconChoice::None)));
    EXPECT_EQ(fileText("other name"), "old");
    std::filesystem::current_path(previous);
}

TEST(CliUsage, ExitsWithTwoOnUsageErrorsAndZeroForHelp) {
    const struct {
        std::vector<std::string> arguments;
        int status;
    } cases[] = {
        {{}, 2},
        {{"frobnicate"}, 2},
        {{"create"}, 2},
        {{"create", "A", "B"}, 2},
        {{"create", "A", "--icon", "6"}, 2},
        {{"create", "A", "--icon"}, 2},
        {{"create", "A", "-f", "zip"}, 2},
        {{"create", "A", "--bogus"}, 2},
        {{"create", "A", "--json"}, 2},
        {{"create", "A", "-d", "."}, 2},
        {{"create", "--from", "l", "-o", "x"}, 2},
        {{"create", "--from", "missing", "-f", "zip"}, 2},
        {{"show"}, 2},
        {{"show", "--force", "x"}, 2},
        {{"--help"}, 0},
        {{"show", "-h"}, 0},
        {{"--version"}, 0},
    };
    for (const auto& c : cases) {
        FakeConsole console;
        EXPECT_EQ(runCli(c.arguments, console), c.status) << ::testing::PrintToString(c.arguments);
        if (c.status == 2) {
            EXPECT_TRUE(
                console.errors.ends_with("Try 'tilewright-cli --help' for more information.\n"));
        }
    }
    const Outcome help = run({"--help"});
    std::istringstream lines(help.output);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 79u) << line;
    }
    EXPECT_TRUE(run({"--version"}).output.starts_with("tilewright-cli "));
}

// A damaged copy of the SPACE RACE image with icon 3.
std::string damaged(const std::function<void(std::string&)>& damage) {
    std::string bytes = bytesOf(buildRomImage("SPACE RACE", IconChoice::Icon3));
    damage(bytes);
    return bytes;
}

TEST(CliShow, NamesEachKindOfDamage) {
    const struct {
        std::string what;
        std::string content;
        int status;
        std::string expected;  // a line of the report
    } cases[] = {
        {"short", std::string(4096, '\0'), 1,
         "-: not a name image: 4096 bytes, not the 8192 of a 27C64"},
        {"no header", damaged([](std::string& b) { b[0x1000] = 'X'; }), 1,
         "-: not a name image: no \"PC\" at 0x1000"},
        {"pad tile in the name", damaged([](std::string& b) { b[0x1004] = 0x3E; }), 1,
         "  - character 3 (at 0x1004) is the pad tile 3E: a character without a tile"},
        {"name shown with it", damaged([](std::string& b) { b[0x1004] = 0x3E; }), 1,
         "  name: \"SP?CE RACE\" (10 characters)"},
        {"tile of no character", damaged([](std::string& b) { b[0x1004] = 0x28; }), 1,
         "  - character 3 (at 0x1004) is 28, which no character produces"},
        {"empty name",
         damaged([](std::string& b) { b.replace(0x1002, 19, "\x3F" + std::string(18, 0x3E)); }), 1,
         "  - the name is empty"},
        {"unknown icon", damaged([](std::string& b) { b[0x1016] = 0x12; }), 1,
         "  icon: unknown (3F 12 FE 3F)"},
        {"stray bytes", damaged([](std::string& b) { b[0x0010] = 1, b[0x1FFF] = 5; }), 1,
         "  - 2 bytes that should be 00 are not; the first at 0x0010"},
        {"19 characters, a space among them",
         bytesOf(buildRomImage("SPACE RACE ABCDEFGH", IconChoice::Icon4)), 0,
         "  name: \"SPACE RACE ABCDEFGH\" (19 characters)"},
        {"18 characters", bytesOf(buildRomImage("ABCDEFGHIJKLMNOPQR", IconChoice::None)), 0,
         "  note: the same name with a space added makes an identical image"},
        {"hex checksum", ":0100000001FF\n:00000001FF\n", 1,
         "- (Intel HEX): cannot be read: line 1: wrong checksum (expected FE, found FF)"},
        {"hex cut short", ":0100000000FF\n", 1,
         "- (Intel HEX): cannot be read: no end-of-file record (is the file cut short?)"},
        {"hex gap", ":0100000000FF\n:0100020000FD\n:00000001FF\n", 1,
         "- (Intel HEX): cannot be read: no data for 0x0001 (the data present runs from 0x0000 to "
         "0x0002)"},
        {"hex offset", ":0110000000EF\n:00000001FF\n", 1,
         "- (Intel HEX): cannot be read: no data for 0x0000 (the data present runs from 0x1000 to "
         "0x1000)"},
        {"srec count", "S104000000FB\nS5030002FA\n", 1,
         "- (S-record): cannot be read: line 2: the record count says 2, but there are 1"},
        {"srec short image", "S1040000AA51\nS9030000FC\n", 1,
         "- (S-record): not a name image: 1 bytes, not the 8192 of a 27C64"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome result = run({"show", "-"}, c.content);
        EXPECT_EQ(result.status, c.status);
        EXPECT_NE(("\n" + result.output).find("\n" + c.expected + "\n"), std::string::npos)
            << result.output;
    }
}

TEST(CliShow, ReadsTextFormatsStrictlyAndNamesWhatItAlmostRecognises) {
    const std::string hex =
        encodeRomFile(buildRomImage("SPACE RACE", IconChoice::Icon3), RomFileFormat::IntelHex);
    std::string crOnly = hex;
    std::replace(crOnly.begin(), crOnly.end(), '\n', '\r');
    std::string utf16 = "\xFF\xFE";
    for (const char c : hex) {
        utf16 += {c, '\0'};
    }
    std::string lowerS =
        encodeRomFile(buildRomImage("A", IconChoice::None), RomFileFormat::SRecord);
    std::replace(lowerS.begin(), lowerS.end(), 'S', 's');
    const std::string good = "- (Intel HEX): exactly what Tilewright writes for this name and icon";
    const struct {
        std::string what;
        std::string content;
        std::string format;    // for -f; empty: none
        std::string expected;  // a line of the report
    } cases[] = {
        {"binary starting with ':'", damaged([](std::string& b) { b[0] = ':'; }), "",
         "  - 1 byte that should be 00 is not; the first at 0x0000"},
        {"binary starting with S1", damaged([](std::string& b) { b[0] = 'S', b[1] = '1'; }), "",
         "  - 2 bytes that should be 00 are not; the first at 0x0000"},
        {"byte order mark", "\xEF\xBB\xBF" + hex, "", good},
        {"CR-only line ends", crOnly, "", good},
        {"surrounding spaces", "  " + hex.substr(0, hex.size() - 1) + " \t\n", "", good},
        {"UTF-16", utf16, "",
         "- (Intel HEX): cannot be read: saved as UTF-16 text; save it as ASCII (or UTF-8) to "
         "read it"},
        {"lower-case s", lowerS, "",
         "- (S-record): cannot be read: S-records start with a capital 'S', these with a "
         "lower-case 's'"},
        {"forced binary", hex, "BIN", "-: not a name image: 22540 bytes, not the 8192 of a 27C64"},
        {"forced Intel HEX", "x", "intel",
         "- (Intel HEX): cannot be read: line 1: not an Intel HEX record"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome result = c.format.empty() ? run({"show", "-"}, c.content)
                                                : run({"show", "-f", c.format, "-"}, c.content);
        EXPECT_NE(("\n" + result.output).find("\n" + c.expected + "\n"), std::string::npos)
            << result.output;
    }
}

TEST(CliShow, ReportsAFileThatCannotBeRead) {
    const ScratchFolder folder;
    writeFile(folder / "huge.bin", std::string((1 << 20) + 1, '\0'));  // not read to its end
    const struct {
        std::string file;
        std::string reason;
    } cases[] = {{(folder / "missing.bin").string(), "No such file or directory"},
                 {(folder / "huge.bin").string(), "File too large"}};
    for (const auto& c : cases) {
        const Outcome result = run({"show", c.file});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.errors, "tilewright-cli: cannot read " + c.file + ": " + c.reason + "\n");
    }
}

TEST(CliShow, QuotesFileNamesAsTheShellWouldReadThemAndKeepsJsonValidUtf8) {
    const struct {
        std::string file;
        std::string quoted;
        std::string json;
    } cases[] = {
        {"plain-1.bin", "plain-1.bin", "\"plain-1.bin\""},
        {"a b", "'a b'", "\"a b\""},
        {"a\nb", "'a'$'\\n''b'", "\"a\\u000ab\""},
        {"it's", "'it'\\''s'", "\"it's\""},
        {"\x1B[31m", "$'\\033''[31m'", "\"\\u001b[31m\""},
        {"caf\xC3\xA9", "caf\xC3\xA9", "\"caf\xC3\xA9\""},
        {"caf\xE9\xFF", "'caf'$'\\351\\377'", "\"caf\\udce9\\udcff\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.quoted);
        EXPECT_EQ(run({"show", c.file}).errors.substr(0, 28 + c.quoted.size()),
                  "tilewright-cli: cannot read " + c.quoted);
        EXPECT_NE(run({"show", "--json", c.file}).output.find("{\"file\": " + c.json + ", "),
                  std::string::npos);
    }
}

TEST(CliShow, PrintsJsonForScripts) {
    const std::string broken = damaged([](std::string& b) { b[0x1016] = 0x12; });
    const Outcome result = run({"show", "--json", "-", "-"}, broken);
    EXPECT_EQ(result.status, 1);
    // Standard input is read once; the second "-" finds it empty.
    EXPECT_EQ(result.output,
              "[\n  {\"file\": \"-\", \"format\": \"bin\", \"image\": true, \"conforming\": false, "
              "\"name\": \"SPACE RACE\", \"nameLength\": 10, \"mayEndInSpace\": false, "
              "\"icon\": null, \"iconField\": \"3F 12 FE 3F\", \"findings\": [{\"offset\": 4117, "
              "\"text\": \"the icon field holds 3F 12 FE 3F, which is none of the six icons\"}]},"
              "\n  {\"file\": \"-\", \"format\": \"bin\", \"image\": false, \"conforming\": false, "
              "\"reason\": \"0 bytes, not the 8192 of a 27C64\"}\n]\n");
}

TEST(CliBatch, WritesOneImagePerLineWithNamesHoldingCommasQuotesAndSpaces) {
    const ScratchFolder folder;
    const std::string list = (folder / "league.txt").string();
    writeFile(list,
              "\xEF\xBB\xBF# a byte order mark, a comment, a blank line and Windows line ends\r\n"
              "\r\n3 space race\r\n0 A, \"B\" C\n5 it's 1-2!\n1 one\n2 two\n4 three\n0 fo  ur\n"
              "1 five\n2 six\n3 ABCDEFGHIJKLMNOPQRS\n");
    std::filesystem::create_directory(folder / "out");
    const Outcome result = run({"create", "--from", list, "-d", (folder / "out").string()});
    ASSERT_EQ(result.status, 0) << result.errors;

#ifdef _WIN32
    const std::string quotesFile = "A, _B_ C";  // Windows file names hold no double quote
#else
    const std::string quotesFile = "A, \"B\" C";
#endif
    const struct {
        std::string file;
        std::string name;
        IconChoice icon;
    } expected[] = {{"SPACE RACE", "SPACE RACE", IconChoice::Icon3},
                    {quotesFile, "A, \"B\" C", IconChoice::None},
                    {"IT'S 1-2!", "IT'S 1-2!", IconChoice::Icon5},
                    {"ONE", "ONE", IconChoice::Icon1},
                    {"TWO", "TWO", IconChoice::Icon2},
                    {"THREE", "THREE", IconChoice::Icon4},
                    {"FO  UR", "FO  UR", IconChoice::None},
                    {"FIVE", "FIVE", IconChoice::Icon1},
                    {"SIX", "SIX", IconChoice::Icon2},
                    {"ABCDEFGHIJKLMNOPQRS", "ABCDEFGHIJKLMNOPQRS", IconChoice::Icon3}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(fileText(folder / "out" / e.file), bytesOf(buildRomImage(e.name, e.icon)));
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "out"), {}), 10);
}

TEST(CliBatch, AnyBadLineFailsTheWholeRunAndNothingIsWritten) {
    const struct {
        std::string lines;
        std::string message;
        bool force = false;  // the line is refused even with --force
    } cases[] = {
        {"3 ONE\n9 TWO\n", ":2: expected the icon (0-5), one space and the name"},
        {"3 ONE\n1\n", ":2: expected the icon (0-5), one space and the name"},
        {"3 ONE\n1 \n", ":2: the name is empty; give 1 to 19 characters"},
        {"3 ONE\n2 caf\xC3\xA9\n", ":2: character 4 of the name, \"\xC3\xA9\" (U+00E9)"},
        {"3 ONE\n0 ABCDEFGHIJKLMNOPQRST\n", ":2: Name must be 19 Characters or Less."},
        {"3 ONE\n\n1 one\n", ":3: writes the same file as line 1, \"ONE\""},
        {"3 ONE\n4 OLD\n", ":2: \"OUT/OLD\" exists already (--force replaces it)"},
        {"3 ONE\n4 .\n", ":2: the name \".\" makes no usable file name", true},
        {"3 ONE\n4 ..\n", ":2: the name \"..\" makes no usable file name", true},
        {"3 ONE\n4 DIR\n", ":2: \"OUT/DIR\" is a folder", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        const ScratchFolder folder;
        const std::string list = (folder / "list").string();
        writeFile(list, c.lines);
        std::filesystem::create_directories(folder / "OUT" / "DIR");
        writeFile(folder / "OUT" / "OLD", "old");
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(folder.path());
        const Outcome result = c.force ? run({"create", "--from", "list", "-d", "OUT", "--force"})
                                       : run({"create", "--from", "list", "-d", "OUT"});
        std::filesystem::current_path(previous);

        EXPECT_EQ(result.status, 1);
        EXPECT_TRUE(result.errors.starts_with("tilewright-cli: list" + c.message)) << result.errors;
        EXPECT_TRUE(result.errors.ends_with("tilewright-cli: nothing written\n"));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "OUT"), {}), 2);
        EXPECT_EQ(fileText(folder / "OUT" / "OLD"), "old");
    }
}

TEST(CliBatch, ChecksTheFolderJoinsItWithSlashAndCountsProblemsBeyondTheFirstTen) {
    const ScratchFolder folder;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    writeFile("list", "1 ONE\n");
    writeFile("l.txt", "");
    const Outcome notFolder = run({"create", "--from", "list", "-d", "l.txt"});
    EXPECT_EQ(notFolder.errors, "tilewright-cli: \"l.txt\" is not a folder\n");
#ifndef _WIN32
    // A backslash is part of a folder's name here, not a separator.
    std::filesystem::create_directory("out\\");
    EXPECT_EQ(run({"create", "--from", "list", "-d", "out\\"}).status, 0);
    EXPECT_TRUE(std::filesystem::exists("out\\/ONE"));
    EXPECT_FALSE(std::filesystem::exists("out\\ONE"));
#endif
    std::string many;
    for (int i = 0; i < 13; ++i) {
        many += "7 BAD\n";
    }
    writeFile("many", many);
    const Outcome tooMany = run({"create", "--from", "many"});
    EXPECT_EQ(std::count(tooMany.errors.begin(), tooMany.errors.end(), '\n'), 12);
    EXPECT_NE(tooMany.errors.find("\ntilewright-cli: many:10: "), std::string::npos);
    EXPECT_NE(tooMany.errors.find("\ntilewright-cli: and 3 more lines with problems\n"),
              std::string::npos);

    EXPECT_EQ(run({"create", "."}).errors,
              "tilewright-cli: the name \".\" makes no usable file name; give one with -o FILE\n");
    std::filesystem::current_path(previous);
}

TEST(CliOutput, AFailedWriteOfStandardOutputFailsTheRun) {
    const struct {
        std::vector<std::string> arguments;
        int status;
    } cases[] = {{{"create", "A", "-o", "-"}, 1}, {{"--help"}, 1}, {{"--version"}, 1}};
    for (const auto& c : cases) {
        FakeConsole console;
        console.outputError = std::make_error_code(std::errc::no_space_on_device);
        EXPECT_EQ(runCli(c.arguments, console), c.status);
        EXPECT_NE(console.errors.find("tilewright-cli: cannot write standard output: No space left "
                                      "on device\n"),
                  std::string::npos)
            << console.errors;
    }
}

}  // namespace
}  // namespace tilewright

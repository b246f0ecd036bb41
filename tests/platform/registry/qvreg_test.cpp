// qvreg, run as its users run it, against a store in a temporary folder.
#include <fcntl.h>
#include <spawn.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/registry/hive.h"
#include "platform/registry/sqlite_connection.h"
#include "tests/platform/registry/registry_test_support.h"

extern char** environ;

namespace qvtouch::platform::test {
namespace {

constexpr const char* kSuccess = "The operation completed successfully.\n";
constexpr const char* kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.\n";

struct Result {
  int Status;
  std::string Out;
  std::string Err;
  bool operator==(const Result&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Result& result) {
  return out << "status " << result.Status << "\nstdout:\n"
             << result.Out << "stderr:\n"
             << result.Err;
}

class Qvreg : public RegistryTest {
 protected:
  Result Run(const std::vector<std::string>& args) {
    const auto out = Root() / "stdout";
    const auto err = Root() / "stderr";
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addclosefrom_np(&files, 3);
    std::vector<char*> argv{const_cast<char*>(QVREG_BINARY)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    const int spawned = posix_spawn(&child, QVREG_BINARY, &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    EXPECT_EQ(spawned, 0);
    const int status = WaitForChild(child);
    const auto text = [](const std::filesystem::path& file) {
      const auto bytes = FileBytes(file);
      return std::string(bytes.begin(), bytes.end());
    };
    return {status, text(out), text(err)};
  }

  // Runs a command that must succeed, as a step of a test's set-up.
  void Do(const std::vector<std::string>& args) { EXPECT_EQ(Run(args), (Result{0, kSuccess, ""})); }

  std::string ReadText(const std::string& name) {
    const auto bytes = FileBytes(Root() / name);
    return {bytes.begin(), bytes.end()};
  }

  void AddSettings() {
    Do({"add", R"(HKLM\System\QVTouch\Parameters)", "/v", "Port", "/t", "REG_DWORD", "/d", "30"});
    Do({"add", R"(HKLM\System\QVTouch\Parameters)", "/v", "Path", "/d", R"(C:\Program "Files")"});
    Do({"add", R"(hklm\system\qvtouch\parameters)", "/v", "Raw", "/t", "reg_binary", "/d", "01ff"});
    Do({"add", R"(HKEY_LOCAL_MACHINE\System\QVTouch\Parameters\Sub)", "/ve", "/d", "default"});
  }
};

TEST_F(Qvreg, QueryShowsAKeyAsRegExeDoes) {
  AddSettings();
  EXPECT_EQ(Run({"query", R"(HKLM\System\QVTouch\Parameters)"}),
            (Result{0,
                    "\n"
                    "HKEY_LOCAL_MACHINE\\System\\QVTouch\\Parameters\n"
                    "    Port    REG_DWORD    0x1e\n"
                    "    Path    REG_SZ    C:\\Program \"Files\"\n"
                    "    Raw    REG_BINARY    01FF\n"
                    "\n"
                    "HKEY_LOCAL_MACHINE\\System\\QVTouch\\Parameters\\Sub\n",
                    ""}));
  EXPECT_EQ(
      Run({"query", R"(HKLM\System\QVTouch\Parameters)", "/v", "Port"}),
      (Result{
          0, "\nHKEY_LOCAL_MACHINE\\System\\QVTouch\\Parameters\n    Port    REG_DWORD    0x1e\n\n",
          ""}));
  EXPECT_EQ(Run({"query", R"(HKLM\System\QVTouch\Parameters)", "/ve"}),
            (Result{0,
                    "\nHKEY_LOCAL_MACHINE\\System\\QVTouch\\Parameters\n"
                    "    (Default)    REG_SZ    (value not set)\n\n",
                    ""}));
  EXPECT_EQ(Run({"query", R"(HKLM\System\QVTouch\Parameters)", "/v", "Beep"}),
            (Result{1, "", kNotFound}));
}

TEST_F(Qvreg, QueryWithSubkeysShowsTheTreeOrSearchesIt) {
  AddSettings();
  EXPECT_EQ(Run({"query", R"(HKCU\System\QVTouch)", "/s"}), (Result{1, "", kNotFound}));
  EXPECT_EQ(Run({"query", R"(HKLM\System\QVTouch)", "/s"}).Out,
            "\n"
            "HKEY_LOCAL_MACHINE\\System\\QVTouch\n"
            "\n"
            "HKEY_LOCAL_MACHINE\\System\\QVTouch\\Parameters\n"
            "    Port    REG_DWORD    0x1e\n"
            "    Path    REG_SZ    C:\\Program \"Files\"\n"
            "    Raw    REG_BINARY    01FF\n"
            "\n"
            "HKEY_LOCAL_MACHINE\\System\\QVTouch\\Parameters\\Sub\n"
            "    (Default)    REG_SZ    default\n"
            "\n");
  EXPECT_EQ(Run({"query", "HKLM", "/s", "/ve"}),
            (Result{0,
                    "\n"
                    "HKEY_LOCAL_MACHINE\\System\\QVTouch\\Parameters\\Sub\n"
                    "    (Default)    REG_SZ    default\n"
                    "\n"
                    "End of search: 1 match(es) found.\n",
                    ""}));
  EXPECT_EQ(Run({"query", "HKLM", "/s", "/v", "Beep"}),
            (Result{1, "\nEnd of search: 0 match(es) found.\n", ""}));
}

TEST_F(Qvreg, AddReplacesAValueOnlyWithForceAndChecksDataFirst) {
  const std::string key = R"(HKCU\Control Panel\Mouse)";
  Do({"add", key, "/v", "XL", "/t", "REG_DWORD", "/d", "-4000"});
  const Result refused = Run({"add", key, "/v", "xl", "/t", "REG_DWORD", "/d", "0x10"});
  EXPECT_EQ(refused.Status, 1);
  EXPECT_EQ(refused.Err,
            "ERROR: The value xl exists already. qvreg does not ask: add /f to replace it.\n");
  EXPECT_NE(Run({"query", key, "/v", "XL"}).Out.find("0xfffff060"), std::string::npos);
  Do({"add", key, "/v", "xl", "/t", "REG_DWORD", "/d", "0x10", "/f"});
  EXPECT_NE(Run({"query", key, "/v", "XL"}).Out.find("0x10"), std::string::npos);

  for (const auto& [type, data] :
       std::vector<std::pair<std::string, std::string>>{{"REG_DWORD", "4294967296"},
                                                        {"REG_DWORD", "0x"},
                                                        {"REG_DWORD", "1.5"},
                                                        {"REG_BINARY", "123"},
                                                        {"REG_BINARY", "zz"},
                                                        {"REG_MULTI_SZ", "a"}}) {
    const Result bad = Run({"add", R"(HKCU\New)", "/v", "V", "/t", type, "/d", data});
    EXPECT_EQ(bad.Status, 1) << type << ' ' << data;
    EXPECT_TRUE(bad.Err.starts_with("ERROR: Invalid ")) << bad;
  }
  EXPECT_EQ(Run({"query", R"(HKCU\New)"}).Status, 1) << "a refused add creates no key";
}

TEST_F(Qvreg, DeleteNeedsForceThenDeletesAValueAllValuesOrAWholeKey) {
  AddSettings();
  const std::string key = R"(HKLM\System\QVTouch\Parameters)";
  EXPECT_EQ(Run({"delete", key, "/v", "Port"}),
            (Result{1, "", "ERROR: qvreg does not ask for confirmation: add /f to delete.\n"}));
  Do({"delete", key, "/v", "port", "/f"});
  EXPECT_EQ(Run({"delete", key, "/v", "Port", "/f"}), (Result{1, "", kNotFound}));
  Do({"delete", key, "/va", "/f"});
  EXPECT_EQ(Run({"query", key}).Out,
            "\nHKEY_LOCAL_MACHINE\\System\\QVTouch\\Parameters\n\n"
            "HKEY_LOCAL_MACHINE\\System\\QVTouch\\Parameters\\Sub\n");
  Do({"delete", R"(HKLM\System)", "/f"});
  EXPECT_EQ(Run({"query", key}), (Result{1, "", kNotFound}));
  EXPECT_EQ(Run({"delete", "HKLM", "/f"}),
            (Result{1, "", "ERROR: A root key cannot be deleted.\n"}));
}

TEST_F(Qvreg, MistakesGetAnErrorLineAndStatusOne) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"copy", "HKLM"},
                                             {"query"},
                                             {"query", "HKLM", "HKCU"},
                                             {"query", "HKLM", "/f"},
                                             {"query", "HKLM", "/v"},
                                             {"add", "HKLM\\A", "/v", "x", "/ve"},
                                             {"delete", "HKLM\\A", "/va", "/v", "x", "/f"},
                                             {"query", R"(HKEY_USERS\A)"},
                                             {"query", "HKLM\\A\\\\B"}}) {
    const Result result = Run(args);
    EXPECT_EQ(result.Status, 1) << result;
    EXPECT_EQ(result.Out, "");
    EXPECT_TRUE(result.Err.starts_with("ERROR: ")) << result;
  }
  const Result help = Run({"delete", "/?"});
  EXPECT_EQ(help.Status, 0);
  EXPECT_NE(help.Out.find("does not ask for confirmation"), std::string::npos) << help;
}

TEST_F(Qvreg, ExportWritesRegFilesThatImportBringsBack) {
  AddSettings();
  Do({"add", R"(HKLM\System\QVTouch\Parameters)", "/v", "Empty", "/t", "REG_BINARY"});
  Do({"export", R"(HKLM\System\QVTouch)", (Root() / "first.reg").string()});
  const std::string exported =
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\System\\QVTouch]\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\System\\QVTouch\\Parameters]\r\n"
      "\"Port\"=dword:0000001e\r\n"
      "\"Path\"=\"C:\\\\Program \\\"Files\\\"\"\r\n"
      "\"Raw\"=hex:01,ff\r\n"
      "\"Empty\"=hex:\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\System\\QVTouch\\Parameters\\Sub]\r\n"
      "@=\"default\"\r\n"
      "\r\n";
  EXPECT_EQ(ReadText("first.reg"), exported);

  EXPECT_EQ(Run({"export", "HKLM", (Root() / "first.reg").string()}).Status, 1)
      << "an existing file needs /y";
  Do({"delete", R"(HKLM\System)", "/f"});
  Do({"import", (Root() / "first.reg").string()});
  Do({"export", R"(HKLM\System\QVTouch)", (Root() / "first.reg").string(), "/y"});
  EXPECT_EQ(ReadText("first.reg"), exported);

  // The platform's own export is UTF-16LE with a byte-order mark.
  std::vector<std::uint8_t> utf16{0xFF, 0xFE};
  for (const char c : exported) utf16.insert(utf16.end(), {static_cast<std::uint8_t>(c), 0});
  WriteFile(Root() / "utf16.reg", utf16);
  Do({"delete", R"(HKLM\System)", "/f"});
  Do({"import", (Root() / "utf16.reg").string()});
  Do({"export", R"(HKLM\System\QVTouch)", (Root() / "second.reg").string()});
  EXPECT_EQ(ReadText("second.reg"), exported);
}

// Names that an earlier version let into the store, line breaks and a zero byte among them, are
// shown without a raw control character, and an export writes every other value and names the
// ones it leaves out.
TEST_F(Qvreg, StoredNamesWithControlCharactersAreShownSafelyAndExportedAround) {
  Do({"add", R"(HKLM\Software\Listed)", "/v", "Good", "/t", "REG_DWORD", "/d", "1"});
  const std::string zero("zero\0byte", 9);
  {
    Connection db(HiveFile(Hive::LocalMachine).c_str(), SQLITE_OPEN_READWRITE);
    Statement plant(db,
                    "INSERT INTO reg_value (key_id, name, type, data) SELECT id, ?1, 4, "
                    "x'02000000' FROM reg_key WHERE name = 'Listed'");
    for (const std::string& name :
         {std::string("Fake\n    Port    REG_DWORD    0x1"), zero, std::string("tab\there")}) {
      plant.Reset();
      plant.Bind(1, name).Step();
    }
  }
  EXPECT_EQ(Run({"query", R"(HKLM\Software\Listed)"}),
            (Result{0,
                    "\n"
                    "HKEY_LOCAL_MACHINE\\Software\\Listed\n"
                    "    Good    REG_DWORD    0x1\n"
                    "    Fake\\x0a    Port    REG_DWORD    0x1    REG_DWORD    0x2\n"
                    "    zero\\x00byte    REG_DWORD    0x2\n"
                    "    tab\\x09here    REG_DWORD    0x2\n"
                    "\n",
                    ""}));
  const Result exported =
      Run({"export", R"(HKLM\Software\Listed)", (Root() / "listed.reg").string()});
  EXPECT_EQ(exported.Status, 0) << exported;
  EXPECT_EQ(exported.Out, kSuccess);
  EXPECT_EQ(
      exported.Err,
      "WARNING: HKEY_LOCAL_MACHINE\\Software\\Listed, value \"Fake\\x0a    Port    REG_DWORD    "
      "0x1\" not exported: its name holds a line break or a zero byte, which a .reg file "
      "cannot hold.\n"
      "WARNING: HKEY_LOCAL_MACHINE\\Software\\Listed, value \"zero\\x00byte\" not exported: its "
      "name holds a line break or a zero byte, which a .reg file cannot hold.\n");
  EXPECT_EQ(ReadText("listed.reg"),
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Listed]\r\n"
            "\"Good\"=dword:00000001\r\n"
            "\"tab\there\"=dword:00000002\r\n"
            "\r\n");
}

TEST_F(Qvreg, AnImportWithAnErrorChangesNothing) {
  const std::string file = (Root() / "bad.reg").string();
  const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
  const std::string good = "[HKEY_CURRENT_USER\\Good]\r\n\"A\"=dword:00000001\r\n";
  std::ofstream(file) << header << good << "\"B\"=dword:xyz\r\n";
  EXPECT_EQ(Run({"import", file}),
            (Result{1, "", "ERROR: " + file + ", line 5: dword: needs 1 to 8 hex digits.\n"}));
  std::ofstream(file) << header << good << "[HKEY_CLASSES_ROOT\\Other]\r\n";
  EXPECT_EQ(Run({"import", file}).Status, 1);
  EXPECT_EQ(Run({"query", R"(HKCU\Good)"}), (Result{1, "", kNotFound}));
  EXPECT_FALSE(std::filesystem::exists(HiveFile(Hive::CurrentUser)));
}

// A change the store refuses after others were applied in the same import: none stays, and the
// refused line is named. Here the refusal is a key one level deeper than the store allows, in
// the second hive of the file.
TEST_F(Qvreg, AnImportTheStoreRefusesLateChangesNothingAndNamesTheLine) {
  const std::string file = (Root() / "late.reg").string();
  std::string tooDeep = "HKEY_CURRENT_USER";
  for (int level = 0; level <= 512; ++level) tooDeep += "\\k";
  std::ofstream(file) << "Windows Registry Editor Version 5.00\r\n\r\n"
                      << "[HKEY_LOCAL_MACHINE\\Software\\First]\r\n\"A\"=dword:00000001\r\n\r\n"
                      << "[HKEY_CURRENT_USER\\Second]\r\n\"B\"=dword:00000002\r\n\r\n"
                      << "[" << tooDeep << "]\r\n";
  EXPECT_EQ(Run({"import", file}),
            (Result{1, "",
                    "ERROR: " + file + ", line 9: The parameter is incorrect. Nothing was imported.\n"}));
  EXPECT_EQ(Run({"query", R"(HKLM\Software\First)"}), (Result{1, "", kNotFound}));
  EXPECT_EQ(Run({"query", R"(HKCU\Second)"}), (Result{1, "", kNotFound}));
}

TEST_F(Qvreg, AFolderIsNoFileToImport) {
  EXPECT_EQ(Run({"import", Root().string()}),
            (Result{1, "", "ERROR: " + Root().string() + " is a folder, not a .reg file.\n"}));
}

// The platform's limits: 512 keys deep and 255 characters a name. A tree as deep as they allow is
// read, exported and deleted whole.
TEST_F(Qvreg, KeysBeyondThePlatformsLimitsAreRefusedAndTheDeepestTreeIsWalked) {
  std::string deepest = "HKLM";
  for (int level = 0; level < 512; ++level) deepest += "\\k";
  const std::string invalid = "ERROR: The parameter is incorrect.\n";
  EXPECT_EQ(Run({"add", deepest + "\\k", "/f"}), (Result{1, "", invalid}));
  EXPECT_EQ(Run({"add", "HKLM\\" + std::string(256, 'n'), "/f"}), (Result{1, "", invalid}));
  Do({"add", deepest, "/v", "Bottom", "/t", "REG_DWORD", "/d", "1", "/f"});
  const Result tree = Run({"query", R"(HKLM\k)", "/s"});
  EXPECT_EQ(tree.Status, 0) << tree.Err;
  EXPECT_NE(tree.Out.find("Bottom    REG_DWORD    0x1"), std::string::npos);
  Do({"export", R"(HKLM\k)", (Root() / "deep.reg").string()});
  Do({"delete", R"(HKLM\k)", "/f"});
  EXPECT_EQ(Run({"query", R"(HKLM\k)"}), (Result{1, "", kNotFound}));
  Do({"import", (Root() / "deep.reg").string()});
  EXPECT_EQ(Run({"query", deepest, "/v", "Bottom"}).Status, 0);
}

TEST_F(Qvreg, ADamagedStoreIsNamedAndLeftAsItIs) {
  const std::string text = "not a database";
  WriteFile(HiveFile(Hive::LocalMachine), {text.begin(), text.end()});
  const Result result = Run({"add", R"(HKLM\Software)", "/v", "A", "/d", "b"});
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err, "ERROR: The registry store " + HiveFile(Hive::LocalMachine).string() +
                            " is damaged or is not a registry store. It has been left as it is: "
                            "restore it from a backup or an export.\n");
  EXPECT_EQ(FileBytes(HiveFile(Hive::LocalMachine)),
            std::vector<std::uint8_t>(text.begin(), text.end()));
}

}  // namespace
}  // namespace qvtouch::platform::test

// What a job or a container leaves where it writes: the old output after a
// failure, nothing through a link planted at a name that can be guessed,
// one whole container when two runs write the same one, and no folder of a
// failed extraction.
#include <filesystem>
#include <map>
#include <thread>

#include "base/sdk_fs.h"
#include "cli_fixture.h"
#include "krmsdk/krm_lock.h"
#include "tests/common/part_files.h"
#include "tests/common/test_platform.h"
#include "tests/delivery/test_env.h"

namespace fs = std::filesystem;

namespace {
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string contentOf(const std::string& path) { return sdkReadWholeFile(path.c_str()).value_or("<missing>"); }

// Every file of a folder, by name, with its bytes.
std::map<std::string, std::string> filesIn(const std::string& folder) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) files[e.path().filename().string()] = contentOf(e.path().string());
  return files;
}
}  // namespace

TEST_F(CliFixture, FailedJobLeavesTheFileAtOutputAsItWas) {
  const std::string out = scratchFile("important.txt", "the operator's own bytes\n");
  struct Case {
    std::vector<std::string> args;
    std::string says;
  };
  for (const Case& c : std::vector<Case>{
           {{"load-project", sampleKpf(), "--resource", "no-such-*.frm", "--output", out}, "No project resources match"},
           {{"send-container", sampleKpf(), "--external", scratch_ + "/gone.sub", "--output", out}, "gone.sub"},
       }) {
    CliRun r = cli(c.args);
    EXPECT_EQ(r.status, 1) << c.args[0] << "\n" << r.output;
    EXPECT_TRUE(contains(r.output, c.says)) << r.output;
    EXPECT_EQ(contentOf(out), "the operator's own bytes\n") << c.args[0];
    EXPECT_TRUE(qmtest::partFilesOf(out).empty()) << c.args[0];
  }
}

TEST_F(CliFixture, LinksPlantedAtGuessableNamesAreNotWrittenThrough) {
  QM_POSIX_ONLY("symbolic links");
  const std::string tmp = scratch_ + "/tmp";
  fs::create_directories(tmp);
  ScopedEnv tmpdir("TMPDIR", tmp.c_str());
  const std::string sentinel = scratchFile("sentinel.txt", "untouched\n");
  const std::string form = scratchFile("a.frm", "FORM\n");
  const std::string job = scratch_ + "/job.ps";
  const std::string listing = scratch_ + "/list.ps";
  const std::string kpc = scratch_ + "/pack.kpc";
  struct Case {
    std::vector<std::string> args;
    std::string link;  // planted before the run, pointing at the sentinel
    int status;
  };
  for (const Case& c : std::vector<Case>{
           {{"load-files", form + "=tqfc/formlib/a.frm", "--output", job}, job + ".part", 0},
           {{"container", "create", sampleKpf(), kpc}, kpc + ".part", 0},
           {{"container", "create", sampleKpf(), kpc, "--tar", "--volume-size", "1"},
            scratch_ + "/pack_000001_000002.kpc.part", 0},
           // The lock's name must stay one that every writer finds: a link
           // there fails the job instead of being opened.
           {{"list", "fonts", "--output", listing}, sdkJoinPath(tmp, krmLockName(listing, tmp.size())), 1},
       }) {
    fs::create_symlink(sentinel, c.link);
    CliRun r = cli(c.args);
    EXPECT_EQ(r.status, c.status) << c.args[0] << "\n" << r.output;
    EXPECT_EQ(contentOf(sentinel), "untouched\n") << c.args[0];
    EXPECT_TRUE(fs::is_symlink(c.link)) << c.link;
    fs::remove(c.link);
  }
  // A dangling link is not made into a file either.
  const std::string absent = scratch_ + "/absent.txt";
  const std::string lock = sdkJoinPath(tmp, krmLockName(listing, tmp.size()));
  fs::create_symlink(absent, lock);
  EXPECT_EQ(cli({"list", "fonts", "--output", listing}).status, 1);
  EXPECT_FALSE(fs::exists(absent));
}

TEST_F(CliFixture, TwoCreatesOfOneContainerLeaveOneWholeContainer) {
  // Two project files (the second a copy under another name, so its
  // container differs), each packed alone for reference, then both at once
  // into one output: the result is, byte for byte, one of the two.
  const std::string first = sampleKpf();
  const std::string second = sdkDirPart(first) + "/Other.kpf";
  fs::copy_file(first, second);
  const std::string refs = scratch_ + "/refs";
  const std::string both = scratch_ + "/both";
  struct Case {
    std::string name;
    std::vector<std::string> options;
  };
  for (const Case& c : std::vector<Case>{{"zip", {}}, {"tar volumes", {"--tar", "--volume-size", "1"}}}) {
    for (const std::string& folder : {refs + "/a", refs + "/b", both}) {
      fs::remove_all(folder);
      fs::create_directories(folder);
    }
    auto create = [&](const std::string& kpf, const std::string& folder) {
      std::vector<std::string> args{"container", "create", kpf, folder + "/pack.kpc"};
      args.insert(args.end(), c.options.begin(), c.options.end());
      return cli(args);
    };
    ASSERT_EQ(create(first, refs + "/a").status, 0) << c.name;
    ASSERT_EQ(create(second, refs + "/b").status, 0) << c.name;
    ASSERT_NE(filesIn(refs + "/a"), filesIn(refs + "/b"));

    CliRun one, two;
    std::thread a([&] { one = create(first, both); });
    std::thread b([&] { two = create(second, both); });
    a.join();
    b.join();
    EXPECT_EQ(one.status, 0) << one.output;
    EXPECT_EQ(two.status, 0) << two.output;
    const auto result = filesIn(both);
    EXPECT_TRUE(result == filesIn(refs + "/a") || result == filesIn(refs + "/b")) << c.name;
  }
}

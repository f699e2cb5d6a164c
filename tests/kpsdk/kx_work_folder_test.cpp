// Print-and-forget folders: a failed opening leaves none, and the folders
// of processes killed while they held one are removed by the next opening,
// never those of a live process nor anything the program did not make.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "kx_test_util.h"
#include "tests/common/child_process.h"

using kxtest::TempDir;
namespace fs = std::filesystem;

namespace {

// args: the root of the stub file, the container. Opens it for
// print-and-forget and keeps it until killed.
const qmtest::Role openAndHold("open-print-and-forget", [](const qmtest::RoleArgs& args) {
  auto p = kxtest::projectIn(args.at(0));
  if (p->OpenContainerPrintAndForget(args.at(1)) & kKxError) return 1;
  std::printf("opened\n");
  std::fflush(stdout);
  for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
});

// A container of project Fold/Proj with one local resource of the given
// text; its path.
std::string packedProject(const TempDir& src, const std::string& text) {
  auto p = kxtest::projectIn(src.path());
  kxtest::describe(*p, "Fold", "Proj");
  auto r = kxtest::resource("form.ps", "ps", 0, p->ResolveInScope(0, "form.ps"));
  kxtest::writeFile(r->GetPath(), text);
  EXPECT_EQ(p->AddResource(std::move(r)) & kKxError, 0);
  EXPECT_EQ(p->SaveProject() & kKxError, 0) << p->GetMessages();
  const std::string kpc = src / "out/proj.kpc";
  EXPECT_EQ(p->CreateContainer(kpc) & kKxError, 0) << p->GetMessages();
  return kpc;
}

// The names directly below a folder.
std::set<std::string> namesIn(const std::string& dir) {
  std::set<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    names.insert(it->path().filename().string());
  return names;
}

std::string onlyNew(const std::set<std::string>& now, const std::set<std::string>& before) {
  for (const std::string& n : now)
    if (!before.count(n) && n.find('.') == std::string::npos) return n;
  return {};
}

}  // namespace

TEST(KxWorkFolders, AFailedPrintAndForgetOpeningLeavesNoFolder) {
  TempDir src, dst;
  std::string noise;
  for (unsigned x = 1; noise.size() < 30000; x = x * 1103515245 + 12345) noise += static_cast<char>('a' + (x >> 16) % 26);
  const std::string kpc = packedProject(src, noise);
  // The resource's data damaged: unpacking it fails after the project file
  // was placed.
  std::string bytes = kxtest::readFile(kpc);
  const std::size_t entry = bytes.find("Fold/Proj/form.ps");
  ASSERT_NE(entry, std::string::npos);
  bytes[entry + 1000] ^= 0x55;
  std::ofstream(kpc, std::ios::binary) << bytes;

  auto p = kxtest::projectIn(dst.path());
  EXPECT_EQ(p->OpenContainerPrintAndForget(kpc) & kKxError, kKxError) << p->GetMessages();
  EXPECT_FALSE(fs::exists(dst / "kpcpfd")) << p->GetMessages();
  EXPECT_EQ(p->RemovePrintAndForget() & kKxError, 0) << p->GetMessages();
}

TEST(KxWorkFolders, FoldersOfKilledOpeningsGoAndTheOthersStay) {
  TempDir src, dst, outside;
  const std::string kpc = packedProject(src, "%!PS form");
  const std::string root = dst / "kpcpfd";

  // One opening killed, one alive.
  auto killed = qmtest::Child::start("open-print-and-forget", {dst.path(), kpc});
  ASSERT_TRUE(killed && killed->waitFor("opened"));
  const std::string dead = onlyNew(namesIn(root), {});
  killed->kill();
  auto alive = qmtest::Child::start("open-print-and-forget", {dst.path(), kpc});
  ASSERT_TRUE(alive && alive->waitFor("opened"));
  const std::string live = onlyNew(namesIn(root), {dead});
  ASSERT_FALSE(dead.empty());
  ASSERT_FALSE(live.empty());
  // What the program did not make: a folder of that name pattern without
  // a lock, and (where there are links) a link with a lock file beside it.
  fs::create_directories(root + "/_pfAbCdEf/Fold");
  kxtest::writeFile(outside / "precious.txt", "precious");
#ifndef _WIN32
  fs::create_directory_symlink(outside.path(), root + "/_pfLinked");
  kxtest::writeFile(root + "/_pfLinked.lock", "");
#endif

  auto p = kxtest::projectIn(dst.path());
  ASSERT_EQ(p->OpenContainerPrintAndForget(kpc) & kKxError, 0) << p->GetMessages();
  std::set<std::string> names = namesIn(root);
  EXPECT_FALSE(names.count(dead)) << dead;
  EXPECT_FALSE(names.count(dead + ".lock"));
  EXPECT_TRUE(names.count(live)) << live;
  EXPECT_TRUE(fs::exists(root + "/" + live + "/Fold/Proj/form.ps"));
  EXPECT_TRUE(names.count("_pfAbCdEf"));
  EXPECT_EQ(kxtest::readFile(outside / "precious.txt"), "precious");
#ifndef _WIN32
  EXPECT_TRUE(names.count("_pfLinked"));
#endif
  EXPECT_EQ(p->RemovePrintAndForget() & kKxError, 0) << p->GetMessages();

  // Once its process is gone, the other one goes as well.
  alive->kill();
  ASSERT_EQ(p->OpenContainerPrintAndForget(kpc) & kKxError, 0) << p->GetMessages();
  EXPECT_FALSE(namesIn(root).count(live));
  EXPECT_EQ(p->RemovePrintAndForget() & kKxError, 0) << p->GetMessages();
}

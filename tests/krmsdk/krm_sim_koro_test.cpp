// Tessel installation, start-up and removal executed by the simulated
// printer, with the built-in set and with a local Tessel folder.
#ifdef QM_HAVE_PRINTER_SIM

#include <gtest/gtest.h>

#include "krm_sim_test_util.h"
#include "krmsdk/krm_builtin.h"
#include "krmsdk/krm_koro_texts.h"

using namespace krmtest;

class KrmSimTessel : public SimulatedPrinter {
 protected:
  void SetUp() override {
    SimulatedPrinter::SetUp();
    if (krmBuiltInSet().prolog() == nullptr) GTEST_SKIP() << "no built-in Tessel set in this build";
  }
  int install(int flags, const char* koroPath = nullptr) {
    auto ios = krmNewIOS();
    ios->krmIOSSetFlags(flags);
    ios->krmIOSSetPrinterName("Sim (1)");
    if (koroPath) ios->krmIOSSetKOROPath(koroPath);
    return krmInstallKORO(ios.get(), output("install"));
  }
  PrinterSimResult startup(int flags) {
    auto ios = krmNewIOS();
    ios->krmIOSSetFlags(flags);
    EXPECT_EQ(krmStartupKORO(ios.get(), output("startup")), 1001);
    return runJob();
  }
  // Every file of the built-in set is on the disk as it is in the set.
  void expectSetOnDisk(bool imaging) {
    for (const KrmBuiltInFile& f : krmBuiltInSet().files()) {
      if (f.role == "imaging" && !imaging) {
        EXPECT_FALSE(onDisk(f.path)) << f.path;
        continue;
      }
      EXPECT_EQ(printer().readFile(f.path), std::string(f.data)) << f.path;
    }
  }
};

TEST_F(KrmSimTessel, InstallBuiltInStartAndRemove) {
  ASSERT_EQ(install(0x4 | 0x80000 | 0x2 | 0x4000), 1001);
  PrinterSimResult r = runJob();
  ASSERT_TRUE(r.ok()) << r.errorText << "\n" << r.log;
  EXPECT_EQ(r.pages.size(), 1u);
  expectSetOnDisk(true);
  EXPECT_EQ(printer().readFile("tqf/devicetype"), "/krmsdk\n");
  EXPECT_EQ(printer().readFile("tqf/errorh.ps"), std::string(krmErrorHandlerText()));
  EXPECT_TRUE(onDisk("tqf/src/tqfdep"));
  EXPECT_TRUE(onDisk("tqf/src/tqfdep.run"));
  EXPECT_FALSE(onDisk("Sys/Start"));

  // Start-up with the confirmation page, both start files.
  r = startup(0x4000);
  EXPECT_TRUE(r.ok()) << r.errorText << "\n" << r.log;
  EXPECT_EQ(r.pages.size(), 1u);
  r = startup(0x4000 | 0x40000);
  EXPECT_TRUE(r.ok()) << r.errorText << "\n" << r.log;
  EXPECT_EQ(r.pages.size(), 1u);

  // Removal of Tessel and resources.
  ASSERT_TRUE(printer().writeFile("tqfc/formlib/a.frm", "x"));
  ASSERT_TRUE(printer().writeFile("fonts/F", "x"));
  auto ios = krmNewIOS();
  ios->krmIOSSetFlags(0x10 | 0x20);
  ASSERT_EQ(krmUninstallKORO(ios.get(), output("uninstall")), 1001);
  r = runJob();
  ASSERT_TRUE(r.ok()) << r.errorText;
  for (const std::string& name : diskNames()) {
    EXPECT_FALSE(name.starts_with("tqf/")) << name;
    EXPECT_FALSE(name.starts_with("tqfc/")) << name;
  }
  EXPECT_TRUE(onDisk("fonts/F"));
}

TEST_F(KrmSimTessel, PowerOnStartAndItsRemoval) {
  ASSERT_EQ(install(0x4 | 0x8), 1001);
  PrinterSimResult r = runJob();
  ASSERT_TRUE(r.ok()) << r.errorText;
  expectSetOnDisk(false);
  ASSERT_TRUE(onDisk("Sys/Start"));
  // The next job finds Tessel started at power-on.
  r = runText("uses-tessel", "%!\n/TQF where { pop (started) } { (not started) } ifelse =\n");
  EXPECT_TRUE(r.poweredOn);
  EXPECT_TRUE(r.powerOnError.empty()) << r.powerOnError;
  EXPECT_EQ(r.output, "started\n");

  ASSERT_EQ(install(0x4 | 0x8 | 0x40000), 1001);
  ASSERT_TRUE(runJob().ok());
  EXPECT_NE(printer().readFile("Sys/Start")->find("(tqf/src/tqfdep.run)"), std::string::npos);

  auto ios = krmNewIOS();
  ios->krmIOSSetFlags(0x10);
  ASSERT_EQ(krmUninstallKORO(ios.get(), output("uninstall")), 1001);
  r = runJob();
  ASSERT_TRUE(r.ok()) << r.errorText;
  EXPECT_FALSE(onDisk("Sys/Start"));
  EXPECT_FALSE(onDisk("tqf/VER"));
}

// A local Tessel folder made from the built-in set, whose start-up file
// names its modules with "%os%" and with plain paths.
TEST_F(KrmSimTessel, InstallFromLocalFolder) {
  const std::string koro = dir_ / "Tessel";
  const KrmBuiltInSet& set = krmBuiltInSet();
  std::string startupText = "% start-up file of a local Tessel\n";
  bool marker = true;
  auto operand = [&](const std::string& path) {
    std::string host = koro + "/" + path.substr(4);
    std::string line = "(" + std::string(marker ? "%os%" : "") + host + ") run\n";
    marker = !marker;
    return line;
  };
  for (const KrmBuiltInFile& f : set.files()) {
    writeFile(koro + "/" + f.path.substr(4), std::string(f.data));
    if (f.role == "prolog") startupText = operand(f.path) + startupText;
  }
  for (const std::string& module : set.runList(false)) startupText += operand(module);
  writeFile(koro + "/src/tqfdos.run", startupText);

  ASSERT_EQ(install(0, koro.c_str()), 1001) << krmGetLastMessage();
  PrinterSimResult r = runJob();
  ASSERT_TRUE(r.ok()) << r.errorText;
  for (const KrmBuiltInFile& f : set.files()) {
    if (f.role == "imaging") continue;
    EXPECT_EQ(printer().readFile(f.path), std::string(f.data)) << f.path;
  }
  r = startup(0x4000);
  EXPECT_TRUE(r.ok()) << r.errorText << "\n" << r.log;
  EXPECT_EQ(r.pages.size(), 1u);
}

#endif

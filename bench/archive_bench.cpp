// Container speed against the reference tools, in one run on one data set.
//
// Builds 200 files of 64 MiB in total (text mixed with noise, so deflate has
// work to do), then times, best of N rounds: our zip creation against
// `zip -q`, our zip extraction against `unzip -q` (both unpacking our
// container), our tar creation against GNU tar, our tar extraction against
// GNU tar (both unpacking our archive). Prints one line per step with the
// ratio ours / reference and the target.
//
//   archive_bench [work-folder] [rounds]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "archive/archive_handler.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 200;
constexpr std::size_t kTotalBytes = 64u << 20;

std::string quote(const fs::path& p) { return "'" + p.string() + "'"; }

void makeData(const fs::path& src, std::vector<std::string>& names) {
  fs::create_directories(src);
  std::mt19937 rng(42);
  static const char* words[] = {"KORO ", "Tessel ", "resource ", "formlib/", "%!PS-Adobe-3.0\n", "showpage ",
                                "0 0 moveto ", "/Helvetica findfont 12 scalefont setfont\n"};
  // Sizes vary around the mean and add up to exactly 64 MiB.
  std::vector<std::size_t> sizes(kFiles);
  std::size_t sum = 0;
  for (int i = 0; i < kFiles; ++i) {
    sizes[i] = 1000 + rng() % (2 * kTotalBytes / kFiles - 2000);
    sum += sizes[i];
  }
  long long fix = static_cast<long long>(kTotalBytes) - static_cast<long long>(sum);
  for (int i = 0; fix != 0; i = (i + 1) % kFiles) {
    long long step = fix > 0 ? std::min<long long>(fix, 100000) : std::max<long long>(fix, -100000);
    if (static_cast<long long>(sizes[i]) + step < 1000) continue;
    sizes[i] = static_cast<std::size_t>(static_cast<long long>(sizes[i]) + step);
    fix -= step;
  }
  for (int i = 0; i < kFiles; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "res%03d.ps", i);
    std::string data;
    data.reserve(sizes[i]);
    while (data.size() < sizes[i]) {
      if (rng() % 4 == 0) {
        for (int k = 0; k < 24; ++k) data.push_back(static_cast<char>(rng() & 0xff));
      } else {
        data += words[rng() % 8];
      }
    }
    data.resize(sizes[i]);
    std::ofstream(src / name, std::ios::binary) << data;
    names.push_back(name);
  }
}

double seconds(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(2);
  }
}

void check(const std::string& error) {
  if (!error.empty()) {
    std::fprintf(stderr, "archive error: %s\n", error.c_str());
    std::exit(2);
  }
}

struct Step {
  const char* name;
  double ours = 1e9;
  double reference = 1e9;
  double target;
};

}  // namespace

int main(int argc, char** argv) {
  fs::path work = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "qm_archive_bench";
  int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  fs::remove_all(work);
  fs::path src = work / "src";
  std::vector<std::string> names;
  makeData(src, names);
  {
    std::ofstream list(work / "names.txt");
    for (const auto& n : names) list << n << "\n";
  }
  const std::string names_file = quote(work / "names.txt");

  Step zipCreate{"zip create  (vs zip -q)", 1e9, 1e9, 1.2};
  Step zipExtract{"zip extract (vs unzip -q)", 1e9, 1e9, 1.2};
  Step tarCreate{"tar create  (vs GNU tar -c)", 1e9, 1e9, 1.5};
  Step tarExtract{"tar extract (vs GNU tar -x)", 1e9, 1e9, 1.5};

  for (int round = 0; round < rounds; ++round) {
    for (const char* p : {"ours.kpc", "ref.zip", "ours.tar", "ref.tar"}) fs::remove(work / p);
    for (const char* p : {"x_ours", "x_ref", "t_ours", "t_ref"}) fs::remove_all(work / p);

    ArchiveHandler zip;
    zipCreate.ours = std::min(zipCreate.ours, seconds([&] {
      check(zip.Create((work / "ours.kpc").string(), names, src.string()));
    }));
    zipCreate.reference = std::min(zipCreate.reference, seconds([&] {
      shell("cd " + quote(src) + " && zip -q ../ref.zip -@ < " + names_file);
    }));
    zipExtract.ours = std::min(zipExtract.ours, seconds([&] {
      check(zip.Extract((work / "ours.kpc").string(), (work / "x_ours").string()));
    }));
    zipExtract.reference = std::min(zipExtract.reference, seconds([&] {
      shell("unzip -q -o " + quote(work / "ours.kpc") + " -d " + quote(work / "x_ref"));
    }));

    ArchiveHandler tar;
    tar.SetArchiveFormat(kArchiveFormatTar);
    tarCreate.ours = std::min(tarCreate.ours, seconds([&] {
      check(tar.Create((work / "ours.tar").string(), names, src.string()));
    }));
    tarCreate.reference = std::min(tarCreate.reference, seconds([&] {
      shell("tar -cf " + quote(work / "ref.tar") + " -C " + quote(src) + " -T " + names_file);
    }));
    fs::create_directories(work / "t_ref");
    tarExtract.ours = std::min(tarExtract.ours, seconds([&] {
      check(tar.Extract((work / "ours.tar").string(), (work / "t_ours").string()));
    }));
    tarExtract.reference = std::min(tarExtract.reference, seconds([&] {
      shell("tar -xf " + quote(work / "ours.tar") + " -C " + quote(work / "t_ref"));
    }));
  }

  std::printf("archive benchmark: %d files, %zu MiB, best of %d rounds\n", kFiles, kTotalBytes >> 20, rounds);
  std::printf("%-30s %10s %10s %7s %7s\n", "step", "ours ms", "ref ms", "ratio", "target");
  bool allMet = true;
  for (const Step* s : {&zipCreate, &zipExtract, &tarCreate, &tarExtract}) {
    double ratio = s->ours / s->reference;
    allMet = allMet && ratio <= s->target;
    std::printf("%-30s %10.1f %10.1f %7.2f %7.2f%s\n", s->name, s->ours * 1000, s->reference * 1000, ratio,
                s->target, ratio <= s->target ? "" : "  (over)");
  }
  fs::remove_all(work);
  return allMet ? 0 : 1;
}

// KrmBuiltInSet: the Tessel files built into the library (version "11.0").
//
// Every file under krmsdk/builtin/ is embedded at build time; its path
// below that folder is its printer path ("tqf/VER", "tqf/src/tqf.eeh", ...),
// except "runlist.txt", which names the modules that "tqf/src/tqfdep.run"
// runs, in load order. The install image is the set of transfer commands
// (hexadecimal, options "() true true") for every file except the optional
// imaging module "tqf/src/koro.lus", which has an image of its own; both
// are produced from the embedded bytes as they are written, piece by piece.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class KrmStream;

struct KrmBuiltInFile {
  std::string path;       // printer path
  std::string_view data;  // content
};

class KrmBuiltInSet {
 public:
  // files: printer path -> content, in any order, plus "runlist.txt".
  explicit KrmBuiltInSet(std::vector<KrmBuiltInFile> files);

  // Printer files in install order: "tqf/VER", the prolog, the other
  // "tqf/src/" files, "tqf/encoding/", "tqf/imglib/", "tqf/formlib/", the
  // rest; by path within each group.
  const std::vector<KrmBuiltInFile>& files() const { return files_; }
  const KrmBuiltInFile* find(std::string_view path) const;
  // The interpreter prolog "tqf/src/tqf.eeh" (null when missing).
  const KrmBuiltInFile* prolog() const { return find(kPrologPath); }
  const KrmBuiltInFile* imagingModule() const { return find(kImagingModulePath); }
  // Encoding and font-list definitions ("tqf/encoding/...").
  std::vector<const KrmBuiltInFile*> encodings() const;
  // Printer paths of the modules to run after the prolog, in load order;
  // the imaging module only when asked for.
  std::vector<std::string> runList(bool imaging) const;
  bool empty() const { return files_.empty(); }

  static constexpr const char* kPrologPath = "tqf/src/tqf.eeh";
  static constexpr const char* kImagingModulePath = "tqf/src/koro.lus";
  static constexpr const char* kRunListName = "runlist.txt";

 private:
  std::vector<KrmBuiltInFile> files_;
  std::vector<std::string> runList_;
};

// The set embedded in the library, or the one a test put in its place.
const KrmBuiltInSet& krmBuiltInSet();
// Replaces the embedded set until called again with null (tests).
void krmUseBuiltInSetForTesting(const KrmBuiltInSet* set);

// True for text that carries an encrypted section ("currentfile eexec").
bool krmIsEncryptedModule(std::string_view data);

// Writes the install image: every file but the imaging module, then, with
// imaging, the imaging module's image. Returns the stream's result.
int krmWriteBuiltInImage(KrmStream& stream, bool imaging);

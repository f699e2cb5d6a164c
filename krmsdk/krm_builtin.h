// KrmBuiltInSet: the Tessel files built into the library (version "11.0").
//
// The files of krmsdk/builtin/ are embedded at build time under their
// printer paths ("tqf/VER", "tqf/src/tqf.eeh", ...), together with
// "runlist.txt", which lists every printer path with its role, in install
// order: "data", "prolog", "encoding", "module" (run by "tqf/src/tqfdep.run"
// in this order) or "imaging" (the optional imaging module). A line without
// a role is a module. The install image is the set of transfer commands
// (hexadecimal, options "() true true") for every file except the imaging
// module, which has an image of its own; both are produced from the
// embedded bytes as they are written, piece by piece.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class KrmStream;

struct KrmBuiltInFile {
  std::string path;       // printer path
  std::string_view data;  // content
  std::string role = {};  // from the run list (guessed from the path when unlisted)
};

class KrmBuiltInSet {
 public:
  // files: printer path -> content, in any order, plus "runlist.txt".
  explicit KrmBuiltInSet(std::vector<KrmBuiltInFile> files);

  // Printer files in install order: the run list's order, then files it
  // does not name, by path.
  const std::vector<KrmBuiltInFile>& files() const { return files_; }
  const KrmBuiltInFile* find(std::string_view path) const;
  // The interpreter prolog "tqf/src/tqf.eeh" (null when missing).
  const KrmBuiltInFile* prolog() const { return firstOfRole("prolog"); }
  const KrmBuiltInFile* imagingModule() const { return firstOfRole("imaging"); }
  // Encoding and font-list definitions ("tqf/encoding/...").
  std::vector<const KrmBuiltInFile*> encodings() const;
  // Printer paths of the modules to run after the prolog, in load order;
  // the imaging module last, and only when asked for.
  std::vector<std::string> runList(bool imaging) const;
  bool empty() const { return files_.empty(); }

  static constexpr const char* kPrologPath = "tqf/src/tqf.eeh";
  static constexpr const char* kImagingModulePath = "tqf/src/koro.lus";
  static constexpr const char* kRunListName = "runlist.txt";

 private:
  const KrmBuiltInFile* firstOfRole(std::string_view role) const;

  std::vector<KrmBuiltInFile> files_;
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

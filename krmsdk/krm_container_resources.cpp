// krmIncludeResources: a printable container's in-memory definitions of the
// project's resources, one form per resource type. Binary data goes as
// strings of 49152 bytes each, below the interpreter's string limit.
#include <algorithm>
#include <vector>

#include "base/sdk_fs.h"
#include "krmsdk/krm_encode.h"
#include "krmsdk/krm_eps.h"
#include "krmsdk/krm_framing.h"
#include "krmsdk/krm_lifetime.h"
#include "krmsdk/krm_progress.h"
#include "krmsdk/krm_project.h"
#include "krmsdk/krm_stream.h"
#include "krmsdk/krmsdk.h"

namespace {

// Input bytes per inline string (ASCII85: 12288 groups).
constexpr std::size_t kStringBytes = 49152;
// Pieces of raw content copied at once.
constexpr std::size_t kCopyPiece = 256 * 1024;
// Encoded text is gathered up to this size before it is written.
constexpr std::size_t kOutputBuffer = 1024 * 1024;

enum class Form { kForm, kProcedure, kEncoded, kVmFile, kMisc, kNone };

Form formOf(const KxResource& r) {
  const std::string& t = r.GetType();
  if (t == "frm") return Form::kForm;
  if (t == "jdt" || t == "xjt" || t == "dbm" || t == "enc") return Form::kProcedure;
  if (t == "seg") {
    const char* structure = r.GetAttribute("Structure");
    return structure && std::string_view(structure) == "PDF" ? Form::kMisc : Form::kProcedure;
  }
  if (t == "img" || t == "fnt") return Form::kEncoded;
  if (t == "dat") return Form::kVmFile;
  if (t == "mis" || t == "eps") return Form::kMisc;
  return Form::kNone;
}

// Gathers text and writes it to the stream in pieces of about 1 MiB.
class Gathered {
 public:
  explicit Gathered(KrmStream& stream) : stream_(stream) {}
  std::string& text() { return text_; }
  bool flushIfFull() { return text_.size() < kOutputBuffer || flush(); }
  bool flush() {
    bool ok = text_.empty() || stream_.write(text_) == kKrmOk;
    text_.clear();
    return ok;
  }

 private:
  KrmStream& stream_;
  std::string text_;
};

// Feeds the bytes of the ranges to sink in blocks of exactly kStringBytes
// (the last one may be shorter), with a flag for the last block. False
// when a read fails or sink refuses.
template <class Sink>
bool forEachBlock(KrmFileSource& source, const KrmRanges& ranges, Sink&& sink) {
  const std::int64_t total = krmRangesSize(ranges);
  std::vector<unsigned char> block;
  block.reserve(kStringBytes);
  std::int64_t done = 0;
  bool sinkOk = true;
  bool read = source.forEachPiece(ranges, kStringBytes, [&](const unsigned char* data, std::size_t n) {
    while (n > 0) {
      std::size_t take = std::min(n, kStringBytes - block.size());
      block.insert(block.end(), data, data + take);
      data += take;
      n -= take;
      done += static_cast<std::int64_t>(take);
      if (block.size() == kStringBytes || done == total) {
        if (!sink(block.data(), block.size(), done == total)) return sinkOk = false;
        krmProgressBytes(static_cast<std::int64_t>(block.size()));
        block.clear();
      }
    }
    return true;
  });
  return read && sinkOk;
}

// What a scan of the content found.
struct ContentScan {
  bool readOk = true;
  bool text = true;     // every byte is a text byte (8 to 13, 32 to 127)
  bool endMark = false; // the content holds the end mark of in-job files
};

// The mark that ends a file read from the job text by MAKEVMFILE.
constexpr std::string_view kEndMark = "%%EOD_TQF";
constexpr const char* kVmFileClosing = "\n%%EOD_TQF TQFRESDEF\n";

// Reads the content once; with stopAtBinary, the first non-text byte ends
// the scan too (binary content goes encoded anyway).
ContentScan scanContent(KrmFileSource& source, const KrmRanges& ranges, bool stopAtBinary) {
  ContentScan scan;
  std::string tail;  // the end of the previous piece, for a mark across pieces
  scan.readOk = source.forEachPiece(ranges, kCopyPiece, [&](const unsigned char* data, std::size_t n) {
    for (std::size_t i = 0; i < n && scan.text; ++i)
      if (!((data[i] >= 8 && data[i] <= 13) || (data[i] >= 32 && data[i] <= 127))) scan.text = false;
    std::string_view piece(reinterpret_cast<const char*>(data), n);
    std::string joined = tail + std::string(piece.substr(0, std::min(n, kEndMark.size())));
    if (joined.find(kEndMark) != std::string::npos || piece.find(kEndMark) != std::string_view::npos)
      scan.endMark = true;
    tail = std::string(piece.substr(n > kEndMark.size() ? n - kEndMark.size() : 0));
    return !scan.endMark && (scan.text || !stopAtBinary);  // else nothing more to learn
  });
  if (scan.endMark || (stopAtBinary && !scan.text)) scan.readOk = true;  // stopped on purpose
  return scan;
}

class Definitions {
 public:
  Definitions(KrmStream& stream, bool hex) : stream_(stream), hex_(hex) {}

  // Writes one resource's definition; returns the stream's result.
  int write(const KxResource& r, Form form, KrmFileSource& source) {
    const std::string name = krmPsString(r.GetName());
    const KrmRanges all{{0, source.fileSize()}};
    path_ = r.GetPath();
    switch (form) {
      case Form::kForm:
        // A form's content leaves the procedure that FBIND takes; an empty
        // file leaves none, and goes as an empty in-memory file instead.
        if (source.fileSize() == 0) return raw("(" + name + ") MAKEVMFILE\n", source, all, kVmFileClosing);
        return raw("(" + name + ")\n", source, all, "\nFBIND TQFRESDEF\n");
      case Form::kProcedure:
        return raw("(" + name + ") {\n", source, all, "\n} TQFRESDEF\n");
      case Form::kVmFile: {
        // Content that holds the end mark would end the file early and run
        // the rest as PostScript: it goes encoded instead.
        ContentScan scan = scanContent(source, all, false);
        if (!scan.readOk) return stream_.fail(kKrmLoadError, path_);
        if (scan.endMark) return encodedFile(name, source, all);
        return raw("(" + name + ") MAKEVMFILE\n", source, all, kVmFileClosing);
      }
      case Form::kEncoded:
        return strings(name, source, all);
      case Form::kMisc:
        return misc(name, source);
      case Form::kNone:
        break;
    }
    return stream_.result();
  }

 private:
  // Opening, the content unchanged, closing.
  int raw(const std::string& opening, KrmFileSource& source, const KrmRanges& ranges, const char* closing) {
    if (stream_.write(opening) != kKrmOk) return stream_.result();
    bool writeFailed = false;
    bool done = source.forEachPiece(ranges, kCopyPiece, [&](const unsigned char* data, std::size_t n) {
      if (stream_.write(std::string_view(reinterpret_cast<const char*>(data), n)) == kKrmOk) {
        krmProgressBytes(static_cast<std::int64_t>(n));
        return true;
      }
      writeFailed = true;
      return false;
    });
    if (writeFailed) return stream_.result();
    if (!done) return stream_.fail(kKrmLoadError, path_);
    return stream_.write(closing);
  }

  // An array of strings of 49152 bytes: "<~" ... "~>\n" each, or in
  // hexadecimal "<" ... ">\n<" ... ">".
  int strings(const std::string& name, KrmFileSource& source, const KrmRanges& ranges) {
    Gathered out(stream_);
    out.text() = "(" + name + ") [\n";
    if (hex_) out.text() += '<';
    bool first = true;
    bool ok = forEachBlock(source, ranges, [&](const unsigned char* data, std::size_t n, bool) {
      if (hex_) {
        if (!first) out.text() += ">\n<";
        out.text() += krmConvertToHex(data, n, 0, 0);
      } else {
        out.text() += krmConvertToAscii85(data, n, static_cast<int>(kStringBytes), 0);
      }
      first = false;
      return out.flushIfFull();
    });
    if (!stream_.ok()) return stream_.result();
    if (!ok) return stream_.fail(kKrmLoadError, path_);
    if (hex_) out.text() += '>';
    out.text() += "\n] TQFRESDEF\n";
    out.flush();
    return stream_.result();
  }

  // Miscellaneous files (and PDF segments): without a DOS EPS header, text
  // as it is, anything else through a decoding filter.
  int misc(const std::string& name, KrmFileSource& source) {
    unsigned char header[kKrmEpsHeaderSize];
    std::size_t headerSize = 0;
    std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(source.fileSize(), kKrmEpsHeaderSize));
    if (!source.readAt(0, header, want, headerSize) || headerSize != want) return stream_.fail(kKrmLoadError, path_);
    const KrmRanges kept = krmProcessEPSRanges({{0, source.fileSize()}}, header, headerSize);
    ContentScan scan = scanContent(source, kept, true);
    if (!scan.readOk) return stream_.fail(kKrmLoadError, path_);
    // Text holding the end mark goes encoded, as binary content does.
    if (scan.text && !scan.endMark)
      return raw("(" + name + ")\nMAKEVMFILE\n", source, kept, kVmFileClosing);
    return encodedFile(name, source, kept);
  }

  // A file read through a decoding filter: ASCII85 in lines of 12288
  // groups, or hexadecimal with a line break after every 49152 bytes.
  int encodedFile(const std::string& name, KrmFileSource& source, const KrmRanges& kept) {
    Gathered out(stream_);
    out.text() = "(" + name + ")\ncurrentfile /" + (hex_ ? "ASCIIHexDecode" : "ASCII85Decode") +
                 " filter\nMAKEVMFILE\n";
    bool first = true;
    bool any = false;
    bool ok = forEachBlock(source, kept, [&](const unsigned char* data, std::size_t n, bool last) {
      any = true;
      if (hex_) {
        if (!first) out.text() += '\n';
        out.text() += krmConvertToHex(data, n, 0, 0);
      } else {
        // One line of 12288 groups per block; only the last keeps the end mark.
        std::string line = krmConvertToAscii85(data, n, 0, static_cast<int>(kStringBytes));
        if (!last) line.resize(line.size() - 3);
        out.text() += line;
      }
      first = false;
      return out.flushIfFull();
    });
    if (!stream_.ok()) return stream_.result();
    if (!ok) return stream_.fail(kKrmLoadError, path_);
    if (!any && !hex_) out.text() += "~>\n";
    out.text() += hex_ ? "\n> TQFRESDEF\n" : "\nTQFRESDEF\n";
    out.flush();
    return stream_.result();
  }

  KrmStream& stream_;
  bool hex_;
  std::string path_;
};

}  // namespace

int krmIncludeResources(const char* function, KxProject& project, int flags, KrmStream& stream,
                        const char* outputPath) {
  (void)function;
  (void)outputPath;
  Definitions definitions(stream, flags & kKrmPpsHex);
  const long count = project.GetResourceCount();
  for (int i = 0; i < project.GetResourceCount() && stream.ok(); ++i) {
    if (!krmProgressWalk(i + 1, count)) break;
    const KxResource& r = *project.GetResource(i);
    if (krmFilterResource(r.GetType(), r.GetScope(), flags)) continue;
    KrmFileSource source;
    // An empty file is a file: it travels as an empty definition.
    if (krmOpenProjectFile(stream, r.GetPath(), source) != kKrmOk) return stream.result();
    krmProgressFile(KrmProgressStep::kWriting, r.GetName(), source.fileSize(), i + 1, count);
    definitions.write(r, formOf(r), source);
  }
  return stream.result();
}

// Texts of the Tessel install and start-up jobs.
#include "krmsdk/krm_koro_texts.h"

#include <array>
#include <utility>

#include "base/sdk_fs.h"
#include "base/sdk_list.h"
#include "krmsdk/krm_builtin.h"
#include "krmsdk/krm_command_file.h"
#include "krmsdk/krm_framing.h"
#include "krmsdk/krm_lifetime.h"

namespace {

constexpr std::array<const char*, 47> kEntryNames = {
    "PORT",        "IPORT",        "LAND",        "ILAND",      "STARTLM",         "STARTDBM",
    "SETDBSEP",    "SETJDT",       "SETLMFILE",   "SETDLFILE",  "TQF",             "SETPROJECT",
    "TQFRESDEF",   "SETMAXRES",    "ORITL",       "STARTXML",   "TQFDEBUG",        "SETUNIT",
    "SETFPATH",    "SETIPATH",     "SETJPATH",    "SETEPATH",   "SETMPATH",        "SETPAGESIZE",
    "TWOUP",       "SETMULTIUP",   "SETTAB",      "SETUTAB",    "SETMEDIA",        "SETMEDIAT",
    "SHIFT",       "SETCYCLECOPY", "DUPLEX_on",   "TUMBLEDUPLEX_on", "SETFORM",    "SETFONT",
    "INDEXFONT",   "SETGRID",      "SETMARGIN",   "PAGERANGE",  "STAPLE_on",       "RUN",
    "FSHOW",       "MAKEVMFILE",   "MAKEVMFORM",  "EKORO",      "SETPARAMS"};

struct SearchPath {
  const char* op;
  std::array<std::pair<const char*, const char*>, 7> entries;  // (path, comment); null ends
};

const std::array<SearchPath, 6> kSearchPaths = {{
    {"SETFPATH",
     {{{"tqfc/formlib/", "customer forms"}, {"tqf/formlib/", "Tessel forms"}, {"tqf/gshared/", "shared forms"}}}},
    {"SETIPATH",
     {{{"tqfc/imglib/", "customer images"},
       {"tqf/imglib/", "Tessel images"},
       {"tqfc/decomp/", "decompressed images"}}}},
    {"SETJPATH",
     {{{"tqfc/jdtlib/", "customer job descriptions"},
       {"tqf/jdtlib/", "Tessel job descriptions"},
       {"tqf/gshared/", "shared job descriptions"}}}},
    {"SETEPATH", {{{"tqfc/encoding/", "customer encodings"}, {"tqf/encoding/", "Tessel encodings"}}}},
    {"SETMPATH",
     {{{"tqfc/mislib/", "customer miscellaneous files"},
       {"tqfc/fontlib/", "customer fonts"},
       {"tqf/demo/", "demonstration files"},
       {"tqfc/formlib/", "customer forms"},
       {"tqf/formlib/", "Tessel forms"},
       {"tqf/encoding/", "Tessel encodings"},
       {"", "current directory"}}}},
    {"SETPPATH",
     {{{"tqfc/$$FOLDER./$$PROJECT./", "project files"},
       {"tqfc/$$FOLDER./fshared/", "folder-shared files"},
       {"tqfc/gshared/", "global-shared files"},
       {"tqfc/fontlib/", "customer fonts"},
       {"tqf/encoding/", "Tessel encodings"},
       {"tqf/gshared/", "Tessel shared files"}}}},
}};

const char* moduleComment(const std::string& fileName) {
  static const std::array<std::pair<const char*, const char*>, 16> kComments = {{
      {"tqf.gep", "general extensions"},
      {"scoat.cck", "colour tables"},
      {"sucoat.cck", "colour tables"},
      {"tqf.grx", "graphics module"},
      {"tqf.417", "PDF417 barcodes"},
      {"tqf.max", "MaxiCode barcodes"},
      {"tqf.dmx", "DataMatrix barcodes"},
      {"tqf.qrc", "QR Code barcodes"},
      {"tqf.4cb", "USPS 4-state barcodes"},
      {"cjk.def", "CJK character sets"},
      {"arb.def", "Arabic character sets"},
      {"tqf.def", "default settings"},
      {"tqf.pcc", "page layout definitions"},
      {"tqf.mup", "multi-up layouts"},
      {"tqf.bat", "batch definitions"},
      {"koro.lus", "Lustrine imaging module"},
  }};
  for (const auto& [name, comment] : kComments)
    if (fileName == name) return comment;
  return "module";
}

bool equalsIgnoreCase(std::string a, std::string b) {
  sdkLowerAscii(a);
  sdkLowerAscii(b);
  return a == b;
}

std::string srcPath(const char* koroPath, const char* name) {
  return std::string(koroPath ? koroPath : "") + "src" + kSdkHostSeparator + name;
}

// A file of the local src folder; on hosts other than Windows the "unix"
// variant stands in for a missing "dos" one.
std::string localSrcFile(const char* koroPath, const char* dosName, const char* unixName) {
  std::string dos = srcPath(koroPath, dosName);
#ifndef _WIN32
  if (!sdkFileExists(dos.c_str())) {
    std::string unixFile = srcPath(koroPath, unixName);
    if (sdkFileExists(unixFile.c_str())) return unixFile;
  }
#else
  (void)unixName;
#endif
  return dos;
}

constexpr const char* kErrorHandler =
    "%!PS-Adobe-3.0\n"
    "%%Title: PostScript error handler\n"
    "%%Creator: Quaymaster\n"
    "%%EndComments\n"
    "/ERRBUF 50 string def\n"
    "% any ERRTXT (at most 50 characters)\n"
    "/ERRTXT { dup type /stringtype ne { { //ERRBUF cvs } stopped { pop pop (?) } if } if\n"
    "  dup length 50 gt { 0 50 getinterval } if } bind def\n"
    "errordict /handleerror {\n"
    "  $error begin\n"
    "  initgraphics erasepage\n"
    "  /Courier findfont 14 scalefont setfont\n"
    "  30 740 moveto (Error: ) show errorname //ERRTXT exec show\n"
    "  ( in ) show /command load //ERRTXT exec show\n"
    "  /ostack where { pop ostack type /arraytype eq } { false } ifelse {\n"
    "    30 710 moveto (Operand stack:) show\n"
    "    690 ostack { 1 index 30 exch moveto dup type //ERRTXT exec show\n"
    "      1 index 200 exch moveto //ERRTXT exec show 20 sub } forall pop\n"
    "  } if\n"
    "  showpage\n"
    "  /newerror false def\n"
    "  end\n"
    "  clear\n"
    "} bind put\n";

constexpr const char* kConfirmationPage =
    "PORT\n"
    "1100 1775 MOVETO\n"
    "(tqflogb.seg) SCALL      % blue logo\n"
    "637 1556 1220 130 XLTB DRAWB\n"
    "70 SETLSP\n"
    "/NNCSB 12 15 SETFONT\n"
    "1247 1470 MOVETO\n"
    "(Tessel Component Version numbers) SHc\n"
    "647 1342 MOVETO\n"
    "/NNCSR 14 SETFONT\n"
    "(Tessel) SH [1847 B_D1] MOVEH TQFVER SHr NL\n"
#define KRM_MODULE_LINES(label, key)                 \
  "(" label ") SH [1847 B_D1] MOVEH\n"               \
  "\tIF (" key ") ($$.) VSUB3 (" key ") eq\n"        \
  "\t{ (Not enabled) SHr } ELSE { " key " SHr } ENDIF NL\n"
    KRM_MODULE_LINES("KORO GRX", "GRXVER")
    KRM_MODULE_LINES("KORO PDF417", "417VER")
    KRM_MODULE_LINES("KORO MAXICODE", "MAXVER")
    KRM_MODULE_LINES("KORO DATAMATRIX", "DMXVER")
    KRM_MODULE_LINES("KORO QRCODE barcode", "QRCVER")
    KRM_MODULE_LINES("KORO USPS4CB", "4CBVER")
    KRM_MODULE_LINES("KORO Lustrine", "LUSVER")
#undef KRM_MODULE_LINES
    "1250 150 MOVETO\n"
    "/NNCSBI 12 SETFONT\n"
    "BLUE SETTXC\n"
    "(Successfully started on ) PRODUCT CS SHC\n"
    "BLACK SETTXC\n"
    "IF (kxistamp.seg) /seg EXIST\n{\n"
    "\t1071 272 MOVETO\n"
    "\t(kxistamp.seg) CACHE .7 SCALL\n} ENDIF\n"
    "PAGEBRK\n";

}  // namespace

std::string krmSearchPathText() {
  std::string text;
  for (const SearchPath& sp : kSearchPaths) {
    bool first = true;
    for (const auto& [path, comment] : sp.entries) {
      if (path == nullptr) break;
      text += first ? "[ (" : "  (";
      text += path;
      text += ")\t% ";
      text += comment;
      text += '\n';
      first = false;
    }
    text += "] ";
    text += sp.op;
    text += "\n\n";
  }
  return text;
}

std::string krmTesselConfigText() {
  return "TQFdict begin\n" + krmSearchPathText() + "(tqf/tqfspool) SPOOLNAME\t% TQF spoolfile full name\n\n";
}

std::string krmLocalStartupFile(const char* koroPath) {
  return localSrcFile(koroPath, "tqfdos.run", "tqfunix.run");
}

std::string krmLocalTqfdosFile(const char* koroPath) { return localSrcFile(koroPath, "tqfdos", "tqfunix"); }

std::string krmTqfDepPS(bool builtIn, const char* koroPath) {
  if (!builtIn) {
    std::string tqfdos = krmLocalTqfdosFile(koroPath);
    SdkList operands;
    if (krmGetCommandStrings(tqfdos.c_str(), "/run", 0, 0, operands) && operands.count() > 0) {
      if (auto text = sdkReadWholeFile(tqfdos.c_str())) {
        SdkString adapted(*text);
        krmLog(std::string("[krmTqfDepPS] ") + operands.get(0));
        adapted.replaceAll(operands.get(0), "tqf/src/tqfdep.run");
        if (!adapted.contains("errorh.ps"))
          adapted.replaceAll("%%EndSetup", "(tqf/errorh.ps) dup status exch pop {pop pop pop run} if\n%%EndSetup");
        return adapted.str();
      }
    }
  }
  SdkString header;
  krmWriteJobHeader(header, "krmTQFDEP", "");
  std::string text = header.str();
  text += "%%BeginSetup\n";
  text += "/TQFENTRY { [ (tqf/src/tqfdep.run) /run cvx 3 index cvx ] cvx def } bind def\n";
  for (const char* name : kEntryNames) {
    text += '/';
    text += name;
    text += " TQFENTRY\n";
  }
  text += "(tqf/errorh.ps) status {pop pop pop pop (tqf/errorh.ps) run} if\n%%EndSetup\n";
  return text;
}

std::string krmDotRunPS(bool builtIn, bool imaging, const char* startupFile) {
  SdkString header;
  krmWriteJobHeader(header, "KORO link file for DEP printer (tqfdep.run)", "");
  std::string text = header.str();
  text += "(tqf/src/tqf.eeh) run\t% run tqf prolog\n\n";
  SdkList operands;
  if (!builtIn && startupFile != nullptr) krmGetCommandStrings(startupFile, "run", 1, 1, operands);
  if (builtIn || operands.count() == 0) {
    text += krmTesselConfigText();
    for (const std::string& path : krmBuiltInSet().runList(imaging)) {
      text += "(" + krmPsString(path) + ") run\t% ";
      text += moduleComment(sdkFileNamePart(path));
      text += '\n';
    }
    text += kKrmDotRunEnd;
    return text;
  }
  std::vector<std::string> names;
  bool services = false;
  for (int i = 0; i < operands.count(); ++i) {
    std::string name = sdkFileNamePart(std::string_view(operands.get(i)));
    if (equalsIgnoreCase(name, "koro.vsm")) {
      services = true;
    } else if (!equalsIgnoreCase(name, "tqf.eeh")) {
      names.push_back(name);
    }
  }
  if (services) text += "(tqf/src/koro.vsm) run\t% run KORO Services Module\n\n";
  text += krmTesselConfigText();
  for (const std::string& name : names) text += "(tqf/src/" + krmPsString(name) + ") run\n";
  text += kKrmDotRunEnd;
  return text;
}

const char* krmErrorHandlerText() { return kErrorHandler; }

std::string krmAutoStartCommand(const char* printerName, bool statusPage, int mode) {
  return "\n(" + krmPsString(printerName ? printerName : "") + ") " + krmPsBool(statusPage) + " " +
         std::to_string(mode) + " auto_start";
}

const char* krmConfirmationPageText() { return kConfirmationPage; }

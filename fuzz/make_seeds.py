#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

The seeds are the inputs the unit tests use (KPF texts, stub files, command
files, containers, fonts, EPS headers), so fuzzing starts from files that
reach deep into each reader. Run it again after changing it; the files are
kept in the repository.
"""
import io
import os
import struct
import sys
import tarfile
import zipfile

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def put(target, name, data):
    folder = os.path.join(ROOT, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


INFORMATION = (
    "<INFORMATION>\n <COPYRIGHT>(c) Q</COPYRIGHT>\n <PROJECT_TYPE>KORO</PROJECT_TYPE>\n"
    " <FOLDER_NAME>F</FOLDER_NAME>\n <PROJECT_NAME>P</PROJECT_NAME>\n <PROJECT_VERSION>1</PROJECT_VERSION>\n"
    " <PROJECT_TITLE>T</PROJECT_TITLE>\n <PROJECT_DESCRIPTION>D</PROJECT_DESCRIPTION>\n <AUTHOR>A</AUTHOR>\n"
    " <KEYWORDS>K</KEYWORDS>\n <GENERATOR>G</GENERATOR>\n <CREATION_DATE>2024</CREATION_DATE>\n</INFORMATION>\n")


def kpf(resources, tail="", information=INFORMATION):
    return ("<?xml version='1.0' encoding='ISO-8859-1'?>\n<KPF Version='2.0'>\n" + information +
            "<RESOURCES>\n" + resources + "</RESOURCES>\n" + tail + "</KPF>\n")


KPFS = {
    "clean.kpf": kpf(
        " <RESOURCE Name='a&amp;b.tif' Type='img' Scope='0' Description='it&apos;s' Mime='image/tiff' "
        "PreCaching='yes' Color='red'/>\n <RESOURCE Name='font.pfb' Type='fnt' Scope='2'/>\n"
        " <RESOURCE Name='s.ps' Type='sub' Scope='1' SubmissionOrder='4'/>\n",
        "<MODIFICATIONS>\n <MODIFICATION>\n  <DATE>d1</DATE>\n  <USER>u&lt;1&gt;</USER>\n  <ACTIONS>\n"
        "   <ACTION>Add 'img' file 'a'</ACTION>\n  </ACTIONS>\n </MODIFICATION>\n</MODIFICATIONS>\n"),
    "tickets.kpf": kpf(
        " <RESOURCE Name='s1.ps' Type='sub' Scope='0' SubmissionOrder='2' JobTicketID='7'/>\n"
        " <RESOURCE Name='s2.ps' Type='sub' Scope='0' SubmissionOrder='1'/>\n"
        " <RESOURCE Name='t1.jtk' Type='jtk' Scope='0' JobTicketID='7'/>\n"
        " <RESOURCE Name='t2.jtk' Type='jtk' Scope='1' JobTicketOrder='1'/>\n"),
    "pspaths.kpf": kpf(
        " <PROJECT_PATH Scope='0'>/s/ps/F/P/</PROJECT_PATH>\n <PROJECT_PATH Scope='1'>/s/ps/F/fshared/</PROJECT_PATH>\n"
        " <PROJECT_PATH Scope='2'>/s/ps/gshared/</PROJECT_PATH>\n <RESOURCE Name='doc.ps' Type='sub' Scope='0' "
        "SubmissionOrder='1'/>\n",
        "<PRIVATE Identifier='tool'>\n  raw <content> &amp; kept\n</PRIVATE>\n",
        INFORMATION.replace("KORO", "PS")),
    "messy.kpf": "<?XML version=\"1.0\" encoding=\"UTF-8\"?>\r\n<kpf version=\"1\">\r\n<!-- <FOLDER_NAME>X</FOLDER_NAME> -->\r\n"
                 "<folder_name> F </folder_name><PROJECT_NAME>P</PROJECT_NAME>\r\n<RESOURCES><RESOURCE\tName = 'x' "
                 "Type='frm' Scope='9'>\r\n<RESOURCE Name='y'/>\r\n<MODIFICATIONS><MODIFICATIONS></KPF>",
    "nested.kpf": kpf("", "<MODIFICATIONS>\n<MODIFICATION><ACTIONS></ACTIONS></MODIFICATION>\n"),
}
for name, text in KPFS.items():
    put("kpf_scanner", name, text)
    put("kpf_reader", name, text)

STUBS = {
    "legacy.run": "%!PS-Adobe-3.0\n% start-up file\n/SETPPATH where { pop } if\n[\n (/r/kpcpfd/$$FOLDER./$$PROJECT./)\n"
                  " (/r/tqfc/$$FOLDER./$$PROJECT./)\n (/r/tqfc/$$FOLDER./fshared/)\n (/r/tqfc/gshared/)\n] SETPPATH\n",
    "legacy-os.run": "[ (%os%\\C\\tessel\\tqfc\\$$FOLDER.\\$$PROJECT.\\\\) (%os%/D/x/fshared/$$FOLDER./)\n"
                     "(kpcpfd/$$PROJECT.) ] SETPPATH\n",
    "typed.run": "%!PS\n% KX_PROJECT_PDLTYPE: PS\n(/srv/pdl/ps/$$FOLDER./$$PROJECT./)\n(/srv/pdl/ps/$$FOLDER./fshared/)\n"
                 "(/srv/pdl/ps/gshared/) SETPPATH\n% KX_PROJECT_PDLTYPE: PDF\n(%os%\\C\\pdl\\pdf\\$$FOLDER.\\$$PROJECT.\\)\n"
                 "(%os%\\C\\pdl\\pdf\\$$FOLDER.\\fshared\\)\n(%os%\\C\\pdl\\pdf\\gshared\\) SETPPATH\n",
    "typed-bad.run": "% KX_PROJECT_PDLTYPE: PDF\n(/a/)\n/b/)\n(/c/\n% KX_PROJECT_PDLTYPE: KORO\n(/a/)\n(/b/)\n",
}
for name, text in STUBS.items():
    put("stub_file", name, text)

# Command files: option byte (bit 0 all, bit 1 convert, bits 2-3 keyword,
# bit 4 read again across the 64 KiB boundary),
# shift byte, text.
here = os.path.dirname(os.path.abspath(__file__))
startup = open(os.path.join(here, "..", "krmsdk", "builtin", "tqf", "src", "tqf.def"), "rb").read()[:6000]
COMMANDS = {
    "setppath": (bytes([0x17]), b"[ (a) (b) ] SETPPATH\n"),
    "run-comment": (bytes([0x01]), b"(x) run % (y) run\n(%os%/c/d/f) run\r\n"),
    "array-lines": (bytes([0x04]), b"[ (a\\)b) % note\n (c(d)e)\n] SETPPATH\n[ (z) ] other\n"),
    "startup": (bytes([0x13]), startup),
}
for name, (option, text) in COMMANDS.items():
    put("command_strings", name, option + b"\x10" + text)

MATCHES = {
    "star": b"*.FRM\0x.frm\0\0",
    "set": b"[a-c]?\0bz\0\0",
    "negated": b"[^a-c]?\0bz\0\x01",
    "escape": b"a\\*\0a*\0\x01",
    "plain": b"tqfc/formlib/a.frm\0TQFC/formlib/A.FRM\0\0",
    "stars": b"*a*b*c*\0xxaxxbxxcxx\0\0",
}
for name, data in MATCHES.items():
    put("match_name", name, data)

ANSWERS = {
    "error": b"\x03\x10%%[ Error: undefined; OffendingCommand: qm_x ]%%\r\n"
    b"%%[ Flushing: rest of job (to end-of-file) will be ignored ]%%\r\n",
    "status": b"\x01\x00hello\n%%[ status: busy ]%%\r%%[ unterminated\n",
    "controls": b"\x07\x02ok\x00\x1b[2J\x1b]0;t\x07\r\n\xc2\x9b31m\xff",
}
for name, data in ANSWERS.items():
    put("printer_answer", name, data)

KPF_BYTES = KPFS["clean.kpf"].encode("latin-1")


def tar_bytes(fmt, entries):
    out = io.BytesIO()
    with tarfile.open(fileobj=out, mode="w", format=fmt) as t:
        for name, data, kind in entries:
            info = tarfile.TarInfo(name)
            info.mtime = 1600000000
            if kind == "dir":
                info.type = tarfile.DIRTYPE
                t.addfile(info)
            elif kind == "link":
                info.type = tarfile.SYMTYPE
                info.linkname = data
                t.addfile(info)
            else:
                info.size = len(data)
                t.addfile(info, io.BytesIO(data))
    return out.getvalue()


def v7_tar(entries):
    """Old-style headers without magic, as the container writer makes them."""
    out = b""
    for name, data in entries:
        h = bytearray(512)
        h[0:len(name)] = name.encode()
        h[100:108] = b"   644 \0"
        h[108:116] = b"     0 \0"
        h[116:124] = b"     0 \0"
        h[124:136] = ("%11o " % len(data)).encode()
        h[136:148] = ("%11o " % 1600000000).encode()
        h[148:156] = b" " * 8
        h[156] = ord("0")
        h[148:156] = ("%6o\0 " % sum(h)).encode()
        out += bytes(h) + data + b"\0" * ((512 - len(data) % 512) % 512)
    out += b"\0" * 1024
    return out + b"\0" * ((10240 - len(out) % 10240) % 10240)


put("tar_reader", "ours.tar", v7_tar([("F/P/P.kpf", KPF_BYTES), ("F/fshared/form.ps", b"%!PS folder form\n"),
                                     ("gshared/logo.tif", b"II*\0" + b"\1" * 40)]))
put("tar_reader", "ustar.tar", tar_bytes(tarfile.USTAR_FORMAT, [("dir/", b"", "dir"), ("dir/Proj.kpf", KPF_BYTES, "file"),
                                                               ("lnk", "dir", "link"), ("dir/a.ps", b"x" * 700, "file")]))
put("tar_reader", "gnu-long.tar", tar_bytes(tarfile.GNU_FORMAT, [("d/" + "n" * 120 + ".kpf", KPF_BYTES, "file")]))
put("tar_reader", "pax.tar", tar_bytes(tarfile.PAX_FORMAT, [("p\u00e9/Proj.kpf", b"pax", "file")]))


def zip_bytes(entries, method):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", method) as z:
        for name, data in entries:
            info = zipfile.ZipInfo(name, (2021, 3, 4, 5, 6, 8))
            info.compress_type = method
            z.writestr(info, data)
    return out.getvalue()


put("zip_extract", "deflated.kpc", zip_bytes([("Proj.kpf", KPF_BYTES), ("F/fshared/form.ps", b"%!PS form\n" * 30),
                                              ("gshared/", b"")], zipfile.ZIP_DEFLATED))
put("zip_extract", "stored.kpc", zip_bytes([("a/Proj.KPF", b"<?xml?>"), ("../up.txt", b"1"), ("b.tif", b"\0" * 64)],
                                           zipfile.ZIP_STORED))



def project(folder, project_name, names):
    information = INFORMATION.replace("<FOLDER_NAME>F<", "<FOLDER_NAME>" + folder + "<").replace(
        "<PROJECT_NAME>P<", "<PROJECT_NAME>" + project_name + "<")
    return kpf("".join(" <RESOURCE Name='%s' Type='frm' Scope='0'/>\n" % n for n in names),
               information=information).encode("latin-1")


# Whole containers for the opening target: a plain project, and projects
# whose folder, project or resource names aim at the sentinel folder that
# lies beside the stub file's tree (stage/kpcpfd/F/P is four levels below
# the throw-away root).
OPENING = {
    "plain": project("F", "P", ["a.frm", "b.tif"]),
    "folder-up": project("../..", "sentinel", ["a.frm"]),
    "project-up": project("F", "../../../sentinel", ["a.frm"]),
    "resource-up": project("F", "P", ["../../../../sentinel/a.frm", "b.tif"]),
    "empty-names": project("", "", ["x"]),
}
for name, text in OPENING.items():
    files = [("Proj.kpf", text), ("a.frm", b"%!PS form\n"), ("b.tif", b"II*\0" + b"\1" * 40)]
    put("container_open", name + ".tar", v7_tar(files))
    put("container_open", name + ".kpc", zip_bytes(files, zipfile.ZIP_STORED))


def tree_project(resources):
    information = INFORMATION.replace("<FOLDER_NAME>F<", "<FOLDER_NAME>Fold<").replace(
        "<PROJECT_NAME>P<", "<PROJECT_NAME>Proj<")
    return kpf("".join(" <RESOURCE Name='%s' Type='%s' Scope='%d'%s/>\n" % r for r in resources),
               information=information).encode("latin-1")


# Plain KPF trees for the same target (an input starting with "<"): the
# target plants regular files, links to its host file and to /dev/zero,
# FIFOs and a device node under these names in stage/tqfc/Fold/.
SUB = (" SubmissionOrder='1'")
TREES = {
    "tree-clean": [("a.frm", "frm", 0, ""), ("job.ps", "sub", 0, SUB)],
    "tree-case": [("a.frm", "frm", 0, ""), ("A.FRM", "frm", 0, ""), ("job.ps", "sub", 0, SUB)],
    "tree-links": [("leak.frm", "frm", 0, ""), ("leak.seg", "seg", 1, ""), ("leak.jpg", "img", 2, ""),
                   ("dir.frm", "frm", 0, ""), ("job.ps", "sub", 0, SUB)],
    "tree-special": [("fifo.frm", "frm", 0, ""), ("fifo.jpg", "img", 2, ""), ("zero.frm", "frm", 0, ""),
                     ("zero.jpg", "img", 2, ""), ("device.frm", "frm", 0, ""), ("job.ps", "sub", 0, SUB)],
    "tree-submission": [("a.frm", "frm", 0, ""), ("leak.ps", "sub", 0, SUB), ("fifo.ps", "sub", 0,
                                                                                " SubmissionOrder='2'")],
}
for name, resources in TREES.items():
    put("container_open", name + ".kpf", tree_project(resources))


def pfb(segments):
    out = b""
    for kind, body in segments:
        out += bytes([0x80, kind]) + struct.pack("<I", len(body)) + body
    return out + b"\x80\x03"


FONT_TEXT = b"%!PS-AdobeFont-1.0: Courier 001.004\n/FontName /Courier def\n/PaintType 0 def\ncurrentfile eexec\n"
put("font_files", "courier.pfb", pfb([(1, FONT_TEXT), (2, bytes(range(256))), (1, b"cleartomark\n")]))
put("font_files", "courier.pfa", FONT_TEXT + b"A1B2C3\ncleartomark\n")
put("font_files", "comment.pfa", b"%!FontType1\n/FontName % none\n/FontName/Tight def\n")


def eps(ps, wmf=b"", tiff=b""):
    ps_off = 30
    wmf_off = ps_off + len(ps) if wmf else 0
    tiff_off = ps_off + len(ps) + len(wmf) if tiff else 0
    head = bytes([0xC5, 0xD0, 0xD3, 0xC6]) + struct.pack("<IIIIII", ps_off, len(ps), wmf_off, len(wmf), tiff_off,
                                                           len(tiff)) + b"\xff\xff"
    return head + ps + wmf + tiff


put("eps", "tiff.eps", eps(b"%!PS-Adobe-3.0 EPSF-3.0\nshowpage\n", tiff=b"II*\0" + b"t" * 50))
put("eps", "wmf.eps", eps(b"%!PS-Adobe-3.0 EPSF-3.0\n", wmf=b"\xd7\xcd\xc6\x9a" + b"w" * 40, tiff=b"II*\0tt"))
put("eps", "plain.eps", b"%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n")

ENCODINGS = {
    "transfer": bytes([0, 0]) + b"Man \0\0\0\0Ma\0",
    "groups": bytes([8, 2]) + bytes(range(40)),
    "negative": bytes([0xF0, 0xFF]) + b"\xff" * 17,
    "lines": bytes([0, 171]) + b"KORO Tessel " * 50,
}
for name, data in ENCODINGS.items():
    put("encoders", name, data)

LISTINGS = {
    "listing": "%%[ status: busy ]%%\nQM-FILE 612062 3\r\nQM-FILE 78287929255c 5\nQM-DISK 1023 1024\nQM-END\n",
    "cut": "QM-FILE c3a974c3a9 0\nQM-FILE 6",
    "malformed": "QM-FILE 6g 1\nQM-FILE 61 -1\nQM-FILE 61 99999999999999999999\nQM-DISK 11 10\nQM-FOO\n",
}
for name, data in LISTINGS.items():
    put("printer_listing", name, data)

NETWORK_NAMES = {
    "server": "print-1.example.com:631",
    "v6-queue": "Forms@[fd00::7]:8631",
    "ipps": "ipps://10.0.0.7/ipp/print",
    "hostile": "Q;rm -rf@a b:99999/\x1b]0;x\x07",
}
for name, data in NETWORK_NAMES.items():
    put("network_names", name, data)

"""What the release checks read from a PE file: the sections, the fields an Authenticode signature
changes, and a version resource (the raw bytes wrestool extracts)."""
import struct
import subprocess


class Pe:
    def __init__(self, data):
        self.data = data
        lfanew = struct.unpack_from("<I", data, 0x3C)[0]
        if data[lfanew:lfanew + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        sections, opt_size = struct.unpack_from("<H12xH", data, lfanew + 6)
        opt = lfanew + 24
        magic = struct.unpack_from("<H", data, opt)[0]
        self.checksum_offset = opt + 64
        # Data directory 4 is the certificate table; its offset is a file offset, not an RVA.
        self.security_offset = opt + (96 if magic == 0x10B else 112) + 4 * 8
        self.cert_offset, self.cert_size = struct.unpack_from("<II", data, self.security_offset)
        self.sections = []
        for i in range(sections):
            at = opt + opt_size + 40 * i
            name = data[at:at + 8].rstrip(b"\0").decode("latin-1")
            raw_size, raw_offset = struct.unpack_from("<II", data, at + 16)
            self.sections.append((name, raw_offset, raw_size))

    @property
    def signed(self):
        return self.cert_size > 0

    def section_at(self, offset):
        for name, start, size in self.sections:
            if start <= offset < start + size:
                return name
        if self.signed and offset >= self.cert_offset:
            return "certificate table"
        first = min((s[1] for s in self.sections if s[2]), default=len(self.data))
        return "headers" if offset < first else "outside the sections"

    def without_signature(self):
        """The bytes as they were before signing: the checksum and the certificate directory are
        zeroed and the certificate table (always at the end) is cut off."""
        out = bytearray(self.data)
        out[self.checksum_offset:self.checksum_offset + 4] = bytes(4)
        out[self.security_offset:self.security_offset + 8] = bytes(8)
        if self.signed:
            del out[self.cert_offset:]
        return bytes(out)


def is_pe(data):
    try:
        Pe(data)
        return True
    except (ValueError, struct.error):
        return False


# -- version resources

def _align(n):
    return (n + 3) & ~3


def _node(data, at):
    """One VS_VERSIONINFO-style block: (key, value bytes, is text, children), end offset."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    if length < 6 or at + length > len(data):
        raise ValueError("block at %d runs past the resource" % at)
    end = at + length
    p = at + 6
    key_end = p
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[p:key_end].decode("utf-16-le")
    p = _align(key_end + 2)
    size = value_length * 2 if kind == 1 else value_length
    value = data[p:min(p + size, end)]
    p = _align(p + size)
    children = []
    while p < end:
        child, child_end = _node(data, p)
        children.append(child)
        p = _align(child_end)
    return (key, value, kind == 1, children), end


def _text(value):
    return value.decode("utf-16-le").split("\0")[0]


def parse_version_info(raw):
    """{"fixed": {...}, "strings": {block: {name: text}}, "translations": [(lang, codepage)]}."""
    (key, value, _, children), _ = _node(raw, 0)
    if key != "VS_VERSION_INFO":
        raise ValueError("the resource is %r, not VS_VERSION_INFO" % key)
    names = ("signature", "struct_version", "file_ms", "file_ls", "product_ms", "product_ls",
             "flags_mask", "flags", "os", "type", "subtype", "date_ms", "date_ls")
    fixed = dict(zip(names, struct.unpack_from("<13I", value)))

    def four(ms, ls):
        return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

    fixed["file_version"] = four(fixed["file_ms"], fixed["file_ls"])
    fixed["product_version"] = four(fixed["product_ms"], fixed["product_ls"])
    strings, translations = {}, []
    for ckey, _, _, blocks in children:
        if ckey == "StringFileInfo":
            for bkey, _, _, entries in blocks:
                strings[bkey] = {name: _text(v) for name, v, _, _ in entries}
        elif ckey == "VarFileInfo":
            for vkey, v, _, _ in blocks:
                if vkey == "Translation":
                    translations += [struct.unpack_from("<HH", v, i) for i in range(0, len(v), 4)]
    return {"fixed": fixed, "strings": strings, "translations": translations}


def read_resource(path, rtype, name):
    """A resource's raw bytes, extracted by wrestool (icoutils), or None when it is missing."""
    r = subprocess.run(["wrestool", "-x", "--raw", "--type=%s" % rtype, "--name=%s" % name, str(path)],
                       capture_output=True)
    return r.stdout if r.returncode == 0 and r.stdout else None

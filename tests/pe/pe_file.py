"""What objdump and windres say about a PE file, parsed into plain data."""
import re
import subprocess


class PeFile:
    def __init__(self, path, objdump, windres):
        self.path = path
        self.objdump = objdump
        self.windres = windres
        self.headers = self._run(objdump, "-p", path)
        self.section_table = self._run(objdump, "-h", path)

    @staticmethod
    def _run(*command):
        return subprocess.run(command, check=True, capture_output=True, text=True).stdout

    def header_field(self, name):
        match = re.search(r"^%s\s+(\S+)" % re.escape(name), self.headers, re.M)
        return match.group(1) if match else None

    def subsystem(self):
        return int(self.header_field("Subsystem"), 16)

    def characteristics(self):
        return int(self.header_field("Characteristics"), 16)

    def image_base(self):
        return int(self.header_field("ImageBase"), 16)

    def exports(self):
        """{ordinal: (name, rva)}."""
        table = self.headers.split("Export Address Table -- Ordinal Base", 1)
        if len(table) < 2:
            return {}
        addresses = {}
        for match in re.finditer(r"\[\s*\d+\] \+base\[\s*(\d+)\]\s+([0-9a-f]+) Export RVA", table[1].split("[Ordinal/Name Pointer]", 1)[0]):
            addresses[int(match.group(1))] = int(match.group(2), 16)
        names = table[1].split("[Ordinal/Name Pointer] Table", 1)[1].lstrip("\n").split("\n\n", 1)[0]
        base = int(re.search(r"Ordinal Base (\d+)", self.headers).group(1))
        result = {}
        for match in re.finditer(r"\[\s*(\d+)\] (\S+)", names):
            ordinal = int(match.group(1)) + base
            result[ordinal] = (match.group(2), addresses.get(ordinal))
        unnamed = set(addresses) - set(result)
        for ordinal in unnamed:
            result[ordinal] = (None, addresses[ordinal])
        return result

    def imports(self):
        """{dll name: [imported names]}."""
        result = {}
        current = None
        for line in self.headers.splitlines():
            dll = re.match(r"\s*DLL Name: (\S+)", line)
            if dll:
                current = dll.group(1)
                result[current] = []
                continue
            if current is None:
                continue
            entry = re.match(r"\s*[0-9a-f]+\s+\d+\s+(\S+)\s*$", line)
            if entry:
                result[current].append(entry.group(1))
            elif not line.strip() or line.strip().startswith("vma:"):
                if not line.strip() and result[current]:
                    current = None
        return result

    def sections(self):
        """{name: (vma, size, flags text)}."""
        result = {}
        lines = self.section_table.splitlines()
        for index, line in enumerate(lines):
            match = re.match(r"\s*\d+\s+(\S+)\s+([0-9a-f]+)\s+([0-9a-f]+)\s", line)
            if match:
                flags = lines[index + 1].strip() if index + 1 < len(lines) else ""
                result[match.group(1)] = (int(match.group(3), 16), int(match.group(2), 16), flags)
        return result

    def section_of(self, rva):
        address = self.image_base() + rva
        for name, (vma, size, _) in self.sections().items():
            if vma <= address < vma + size:
                return name
        return None

    def functions(self):
        """{address: (symbol, [instruction texts])} from a disassembly of .text-like sections."""
        text = self._run(self.objdump, "-d", "--no-show-raw-insn", "-M", "intel", self.path)
        result = {}
        current = None
        for line in text.splitlines():
            label = re.match(r"^([0-9a-f]+) <(.+)>:$", line)
            if label:
                current = (label.group(2), [])
                result[int(label.group(1), 16)] = current
                continue
            instruction = re.match(r"^\s*([0-9a-f]+):\s+(.*)$", line)
            if instruction and current is not None:
                current[1].append((int(instruction.group(1), 16), instruction.group(2).strip()))
        return result

    def symbol_sections(self):
        """{symbol: section name} from the COFF symbol table."""
        names = list(self.sections())
        table = self._run(self.objdump, "-t", self.path)
        result = {}
        for match in re.finditer(r"\(sec\s+(\d+)\).*\(ty\s+20\).*0x[0-9a-f]+ (\S+)$", table, re.M):
            index = int(match.group(1))
            if 1 <= index <= len(names):
                result[match.group(2)] = names[index - 1]
        return result

    def version_resource(self):
        """The VERSIONINFO resource as windres decompiles it."""
        return self._run(self.windres, "-i", self.path, "-O", "rc")

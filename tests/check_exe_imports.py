"""weighlet.exe must be self-contained: every DLL it imports ships with Windows."""

import re
import subprocess
import sys

WINDOWS_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll", "winmm.dll",
    "advapi32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll", "comdlg32.dll", "uxtheme.dll",
    "ntdll.dll", "ws2_32.dll", "bcrypt.dll", "api-ms-win-crt-runtime-l1-1-0.dll",
}


def main(objdump, exe):
    out = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
    dlls = [m.lower() for m in re.findall(r"DLL Name: (\S+)", out)]
    foreign = [d for d in dlls if d not in WINDOWS_DLLS]
    print(f"{exe} imports: {', '.join(dlls)}")
    if not dlls or foreign:
        print(f"not Windows' own: {', '.join(foreign) or '(no imports found)'}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))

#!/usr/bin/env python3
"""Checks the include lines of the installer's sources against the order of
its modules, so that the direction of the dependencies holds in the code as
it does in the build (CMakeLists.txt links each module only to those below
it):

    core  <-  payload, texts  <-  engine  <-  ui  <-  app
                                          <-  uninstall (the uninstaller)

  - a module includes only itself and the modules below it (payload and
    texts are side by side: neither includes the other); core includes
    nothing but core;
  - the os/ interface headers include only core and os;
  - portable code (the top of each module, os/, and the native consumers
    tests/unit, bench, tools) includes no Win32 code: no <windows.h> or other
    Windows SDK header, nothing from a win32/ folder, win/ or res/;
  - Win32 code (a module's win32/ folder) may include, besides what its
    module may, the window layer win/, os/win32/, res/ and the win32/ parts
    of its own module and of the modules below it;
  - os/win32/ includes only core, os, os/win32 and win; win/ only win.

  python3 tests/build/check_layers.py [ROOT]     (default: the repository)

Prints one line per include that breaks a rule and exits 1 when there is
any.
"""

import os
import re
import sys

# Rank of each module; a module may include the modules of lower rank.
# Modules of equal rank (payload, texts) may not include each other.
MODULES = {'core': 0, 'payload': 1, 'texts': 1, 'engine': 2, 'ui': 3, 'uninstall': 3, 'app': 4}
# Folders whose code is portable and may use every portable module.
NATIVE_CONSUMERS = ('tests/unit', 'bench', 'tools')
SOURCE_SUFFIXES = ('.h', '.hpp', '.c', '.cc', '.cpp', '.inl')

INCLUDE_RE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
# Windows SDK headers that portable code must not include. Anything named
# win*.h is Windows' own as well (winbase.h, winspool.h, winsvc.h ...).
WINDOWS_HEADERS = {
    'windows.h', 'objbase.h', 'ole2.h', 'oleauto.h', 'objidl.h', 'shlobj.h', 'shobjidl.h', 'shellapi.h',
    'shlwapi.h', 'commctrl.h', 'commdlg.h', 'setupapi.h', 'tchar.h', 'process.h', 'io.h', 'direct.h',
    'sddl.h', 'aclapi.h', 'lmcons.h', 'rpc.h', 'unknwn.h', 'prsht.h', 'uxtheme.h',
}


def is_windows_header(name):
    base = name.replace('\\', '/').split('/')[-1].lower()
    return base in WINDOWS_HEADERS or (base.startswith('win') and base.endswith('.h'))


def classify(rel):
    """What a source file is: (kind, module).

    kind is 'module' (portable top of a module), 'module_win32', 'os',
    'os_win32', 'win', 'native' (tests/unit, bench, tools) or None for a
    file this check does not look at.
    """
    parts = rel.split('/')
    top = parts[0]
    if top in MODULES:
        if len(parts) >= 3 and parts[1] == 'win32':
            return 'module_win32', top
        return 'module', top
    if top == 'os':
        if len(parts) >= 3 and parts[1] == 'win32':
            return 'os_win32', None
        return 'os', None
    if top == 'win':
        return 'win', None
    for consumer in NATIVE_CONSUMERS:
        if rel.startswith(consumer + '/'):
            return 'native', None
    return None, None


def target_of(include):
    """What an included path names: (kind, module), or (None, None) for a
    header that is not one of ours (a system or library header, or a file
    of the including folder)."""
    parts = include.split('/')
    top = parts[0]
    if len(parts) < 2:
        return None, None
    if top in MODULES:
        if parts[1] == 'win32':
            return 'module_win32', top
        return 'module', top
    if top == 'os':
        return ('os_win32', None) if parts[1] == 'win32' else ('os', None)
    if top in ('win', 'res'):
        return top, None
    return None, None


def below_or_same(module, other):
    return other == module or MODULES[other] < MODULES[module]


def check_include(kind, module, bracket, include):
    """Why this include is not allowed, or None when it is."""
    portable = kind in ('module', 'os', 'native')
    if bracket == '<':
        if portable and is_windows_header(include):
            return 'portable code includes the Windows header <%s>' % include
        return None
    target, other = target_of(include)
    if target is None:
        return None
    if portable and target in ('module_win32', 'os_win32', 'win', 'res'):
        return 'portable code includes Win32 code "%s"' % include

    if kind == 'native':
        return None
    if kind == 'os':
        if target == 'os' or other == 'core':
            return None
        return 'the os interfaces include "%s" (only core and os)' % include
    if kind == 'os_win32':
        if target in ('os', 'os_win32', 'win') or other == 'core':
            return None
        return 'os/win32 includes "%s" (only core, os and win)' % include
    if kind == 'win':
        if target == 'win':
            return None
        return 'the window layer includes "%s" (only win)' % include

    # A module, portable or Win32.
    if module == 'core' and target != 'module':
        return 'core includes "%s" (core is the bottom: only core)' % include
    if target in ('os', 'os_win32', 'win', 'res'):
        return None  # portable code was refused the Win32 ones above
    if not below_or_same(module, other):
        if other in MODULES and MODULES[other] == MODULES[module]:
            return '%s includes "%s": %s is beside %s, not below it' % (module, include, other, module)
        return '%s includes "%s": %s is above %s' % (module, include, other, module)
    return None


def source_files(root):
    for top in sorted(set(MODULES) | {'os', 'win'} | set(NATIVE_CONSUMERS)):
        base = os.path.join(root, top)
        if not os.path.isdir(base):
            continue
        for folder, dirs, files in os.walk(base):
            dirs[:] = sorted(d for d in dirs if not d.startswith('.') and d != 'build')
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    path = os.path.join(folder, name)
                    yield os.path.relpath(path, root).replace(os.sep, '/'), path


def check_tree(root):
    """All broken rules under `root`, as 'path:line: reason' strings."""
    problems = []
    for rel, path in source_files(root):
        kind, module = classify(rel)
        if kind is None:
            continue
        with open(path, encoding='utf-8', errors='replace') as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE_RE.match(line)
                if not m:
                    continue
                reason = check_include(kind, module, m.group(1), m.group(2).strip())
                if reason:
                    problems.append('%s:%d: %s' % (rel, number, reason))
    return problems


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..')
    root = os.path.abspath(root)
    problems = check_tree(root)
    for p in problems:
        print(p)
    if problems:
        print('layer check: %d include(s) against the module order' % len(problems))
        return 1
    print('layer check: all includes follow the module order')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))

#!/usr/bin/env python3
"""Tests of check_layers.py: a tree that follows the module order passes, and
each kind of include against it is reported, with the file and line.

  python3 tests/build/test_check_layers.py [-v]
"""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_layers  # noqa: E402


def make_tree(root, files):
    for rel, text in files.items():
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'w', encoding='utf-8') as f:
            f.write(text)


# Every include here is allowed.
GOOD_TREE = {
    'core/text.h': '#include <string>\n',
    'core/text.cpp': '#include "core/text.h"\n',
    'os/files.h': '#include "core/text.h"\n',
    'os/win32/files.cpp': '#include <windows.h>\n#include "os/files.h"\n#include "win/handles.h"\n',
    'win/handles.h': '#include <windows.h>\n#include <setupapi.h>\n',
    'win/wnd.cpp': '#include "win/handles.h"\n',
    'payload/extract.cpp': '#include "core/text.h"\n#include "os/files.h"\n#include <zlib.h>\n',
    'payload/win32/load.cpp': '#include <windows.h>\n#include "res/resource.h"\n',
    'texts/texts.cpp': '#include "os/profile.h"\n',
    'engine/deploy.cpp': '#include "payload/extract.h"\n#include "texts/texts.h"\n// #include <windows.h>\n',
    'engine/win32/worker.cpp': '#include "engine/install_plan.h"\n#include "payload/win32/load.h"\n'
                               '#include "os/win32/services.h"\n#include "win/thread.h"\n',
    'ui/page_flow.cpp': '#include "engine/usb_detect.h"\n#include "ui/messages.h"\n',
    'ui/win32/dialog.cpp': '#include <commctrl.h>\n#include "engine/win32/worker.h"\n#include "res/resource.h"\n',
    'app/startup.cpp': '#include "ui/language_labels.h"\n',
    'app/win32/app.cpp': '#include "ui/win32/dialog.h"\n#include "win/app.h"\n',
    'tests/unit/flow_test.cpp': '#include <gtest/gtest.h>\n#include "fakes/fake_fs.h"\n#include "app/startup.h"\n',
    'bench/bench.cpp': '#include "payload/extract.h"\n',
    'tools/packer/main.cpp': '#include "packer_cli.h"\n#include "payload/container.h"\n',
    # Outside the checked folders: the Windows test driver and payload programs.
    'tests/e2e/driver/wdrive.cpp': '#include <windows.h>\n#include "ui/win32/dialog.h"\n',
    'payload_programs/src/dll_main.c': '#include <windows.h>\n',
}


class LayerCheckTest(unittest.TestCase):
    def check(self, files):
        with tempfile.TemporaryDirectory() as root:
            make_tree(root, files)
            return check_layers.check_tree(root)

    def test_tree_in_module_order_passes(self):
        self.assertEqual(self.check(GOOD_TREE), [])

    def test_each_broken_rule_is_reported_with_its_line(self):
        cases = [
            ('engine/deploy.cpp', '#include "ui/page_flow.h"', 'ui is above engine'),
            ('engine/win32/worker.cpp', '#include "ui/win32/install_dlg.h"', 'ui is above engine'),
            ('ui/win32/dialog.cpp', '#include "app/win32/globals.h"', 'app is above ui'),
            ('payload/extract.cpp', '#include "engine/install_log.h"', 'engine is above payload'),
            ('payload/extract.cpp', '#include "texts/install_texts.h"', 'texts is beside payload'),
            ('texts/texts.cpp', '#include "payload/container.h"', 'payload is beside texts'),
            ('core/text.cpp', '#include "os/files.h"', 'core is the bottom'),
            ('ui/page_flow.cpp', '#include <windows.h>', 'Windows header <windows.h>'),
            ('ui/page_flow.h', '#  include <WinSpool.h>', 'Windows header <WinSpool.h>'),
            ('os/files.h', '#include <shlobj.h>', 'Windows header <shlobj.h>'),
            ('engine/deploy.cpp', '#include "engine/win32/worker.h"', 'portable code includes Win32 code'),
            ('texts/texts.cpp', '#include "res/resource.h"', 'portable code includes Win32 code'),
            ('app/startup.cpp', '#include "win/app.h"', 'portable code includes Win32 code'),
            ('tests/unit/flow_test.cpp', '#include "os/win32/services.h"', 'portable code includes Win32 code'),
            ('tools/packer/main.cpp', '#include <windows.h>', 'Windows header <windows.h>'),
            ('os/files.h', '#include "payload/container.h"', 'only core and os'),
            ('os/win32/files.cpp', '#include "engine/install_plan.h"', 'only core, os and win'),
            ('win/wnd.cpp', '#include "os/files.h"', 'only win'),
        ]
        for path, line, reason in cases:
            with self.subTest(path=path, line=line):
                files = dict(GOOD_TREE)
                files[path] = files.get(path, '') + '\n' + line + '\n'
                expected_line = files[path].count('\n')
                problems = self.check(files)
                self.assertEqual(len(problems), 1, problems)
                self.assertTrue(problems[0].startswith('%s:%d: ' % (path, expected_line)), problems[0])
                self.assertIn(reason, problems[0])

    def test_main_exit_code(self):
        with tempfile.TemporaryDirectory() as root:
            make_tree(root, GOOD_TREE)
            with open(os.devnull, 'w') as null:
                stdout, sys.stdout = sys.stdout, null
                try:
                    good = check_layers.main(['check_layers.py', root])
                    make_tree(root, {'engine/bad.cpp': '#include "ui/win32/install_dlg.h"\n'})
                    bad = check_layers.main(['check_layers.py', root])
                finally:
                    sys.stdout = stdout
            self.assertEqual((good, bad), (0, 1))


if __name__ == '__main__':
    unittest.main()

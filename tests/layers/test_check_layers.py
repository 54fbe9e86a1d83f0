"""The layer check: passes on the tree as it is, fails on an upward include
and on units that include each other."""
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
CHECK = ROOT / "scripts" / "check-layers"
PRODUCT = ["base", "http", "service", "app", "backup", "res", "ui"]


class LayerCheck(unittest.TestCase):
    def setUp(self):
        self.tmp = Path(tempfile.mkdtemp())
        self.fill()

    def fill(self):
        shutil.rmtree(self.tmp)
        self.tmp.mkdir()
        shutil.copy(ROOT / "README.md", self.tmp / "README.md")
        for folder in PRODUCT:
            if (ROOT / folder).exists():
                shutil.copytree(ROOT / folder, self.tmp / folder)

    def tearDown(self):
        shutil.rmtree(self.tmp)

    def run_check(self):
        result = subprocess.run([sys.executable, str(CHECK), str(self.tmp)], capture_output=True, text=True)
        return result.returncode, result.stdout

    def add_include(self, rel, target):
        path = self.tmp / rel
        path.parent.mkdir(parents=True, exist_ok=True)
        text = path.read_text(encoding="utf-8") if path.exists() else ""
        path.write_text(f'#include "{target}"\n' + text, encoding="utf-8")

    def test_tree_as_it_is_passes(self):
        code, out = self.run_check()
        self.assertEqual(code, 0, out)

    def test_upward_includes_fail_naming_the_file(self):
        cases = [
            ("service/PicasaClient.h", "app/CIniFile.h"),
            ("http/WinHttpClient.cpp", "service/PicasaClient.h"),
            ("base/CLogSupport.cpp", "http/CDataStorage.h"),
            ("app/CIniFile.cpp", "ui/controls/CDialogBase.h"),
            ("ui/controls/CResizeRule.cpp", "ui/login/CAboutDlg.h"),
            ("service/New.cpp", "nowhere/Thing.h"),
        ]
        for rel, target in cases:
            with self.subTest(rel=rel, target=target):
                self.fill()
                self.add_include(rel, target)
                code, out = self.run_check()
                self.assertEqual(code, 1, out)
                self.assertIn(f'{rel}:1: includes "{target}"', out)

    def test_entry_point_and_downward_includes_pass(self):
        self.add_include("app/WinMain.cpp", "ui/albums/CToolDlg.h")
        self.add_include("ui/albums/CNew.cpp", "ui/login/CAboutDlg.h")
        self.add_include("service/PicasaClient.cpp", "base/UserCodePage.h")
        code, out = self.run_check()
        self.assertEqual(code, 0, out)

    def test_units_including_each_other_fail(self):
        cases = [
            # a source and the other unit's header, both ways
            [("ui/photos/PhotoListLoader.cpp", "ui/photos/PhotoListCommand.h")],
            # round three units of different folders
            [("service/AccessLevel.cpp", "service/AlbumFeed.h"), ("service/AlbumFeed.h", "service/FeedTime.h"),
             ("service/FeedTime.cpp", "service/AccessLevel.h")],
        ]
        for adds in cases:
            with self.subTest(adds=adds):
                self.fill()
                for rel, target in adds:
                    self.add_include(rel, target)
                code, out = self.run_check()
                self.assertEqual(code, 1, out)
                self.assertIn("include each other", out)

    def test_missing_table_fails(self):
        (self.tmp / "README.md").write_text("# Quillon\n", encoding="utf-8")
        code, out = self.run_check()
        self.assertEqual(code, 1)
        self.assertIn("no layer table", out)


if __name__ == "__main__":
    unittest.main()

#!/usr/bin/env python3
"""The layering check on planted trees: it must refuse what runs upward."""

import io
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import check_layers  # noqa: E402


class PlantedTree(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.root = self.tmp.name
        for path in ["db/dataset.h", "data/dm.h", "platform/core/seams.h", "platform/widgets/dispatch.h",
                     "forms/dbgrid.h", "shell/mainform.h", "entry/fpage1.h", "app/startup.h"]:
            self.write(path, "#pragma once\n")

    def tearDown(self):
        self.tmp.cleanup()

    def write(self, path, text):
        full = os.path.join(self.root, "src", path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as f:
            f.write(text)

    def problems(self):
        return check_layers.check(self.root, out=io.StringIO())

    def test_includes_that_point_down_pass(self):
        self.write("entry/fpage1.cpp", '#include "fpage1.h"\n#include "shell/mainform.h"\n#include "data/dm.h"\n'
                                       '#include <QLineEdit>\n#include <vector>\n')
        self.write("shell/commands.cpp", '#include "mainform.h"\n#include "forms/dbgrid.h"\n')
        self.write("app/startup.cpp", '#include "entry/fpage1.h"\n#include "shell/mainform.h"\n')
        self.assertEqual(self.problems(), [])

    def test_upward_include_is_refused_with_file_line_and_rule(self):
        self.write("shell/commands.cpp", '#include "mainform.h"\n\n#include "entry/fpage1.h"\n')
        self.write("db/table.cpp", '// engine\n#include "data/dm.h"\n')
        found = self.problems()
        self.assertEqual(len(found), 2, found)
        self.assertIn("src/shell/commands.cpp:3: includes entry/fpage1.h", "\n".join(found))
        self.assertIn("not on src/entry", "\n".join(found))
        self.assertIn("src/db/table.cpp:2: includes data/dm.h", "\n".join(found))

    def test_sideways_include_between_core_floors_is_refused(self):
        # The exchange core and the report engine do not see each other, and
        # a headless floor never sees the widget seams.
        self.write("report/engine.h", "#pragma once\n")
        self.write("exchange/import.cpp", '#include "report/engine.h"\n#include "platform/widgets/dispatch.h"\n')
        found = self.problems()
        self.assertEqual(len(found), 2, found)

    def test_widgets_below_the_windows_are_refused(self):
        if not check_layers.qt_headers():
            self.skipTest("no Qt headers installed")
        self.write("data/records.cpp", '#include <QString>\n#include <QMessageBox>\n')
        self.write("report/render.cpp", '#include <QPainter>\n#include <QtWidgets/QWidget>\n')
        found = self.problems()
        self.assertEqual(len(found), 2, found)
        self.assertIn("src/data/records.cpp:2: includes <QMessageBox> of QtWidgets", found[0])

    def test_folder_without_rule_and_circular_rules_are_refused(self):
        self.write("misc/helper.cpp", "int x;\n")
        self.assertIn("src/misc/helper.cpp: its folder has no rule", self.problems()[0])
        rules = dict(check_layers.RULES)
        rules["db"] = ["data"]
        self.assertEqual(check_layers.rule_cycle(rules), ["data", "db", "data"])
        self.assertIsNone(check_layers.rule_cycle(check_layers.RULES))


if __name__ == "__main__":
    unittest.main()

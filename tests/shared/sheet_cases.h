#pragma once

// Sheets as a file holds them, and the text every result recalculated gives
// at 15 digits: the window (open, then recalculate all) and the terminal
// program (--sheet) must both give exactly this.
namespace tallix::test {

struct SheetCase {
    const char* name;
    const char* sheet;
    const char* recalculated;
};

inline constexpr SheetCase SHEET_CASES[] = {
    {"results are added where there are none", "r = 2\npi*r^2\nr*3\n",
     "r = 2\npi*r^2\n12.5663706143592\nr*3\n6\n"},
    {"old results follow a changed first line", "r = 3\npi*r^2\n12.5663706143592\nr*3\n6\n",
     "r = 3\npi*r^2\n28.2743338823081\nr*3\n9\n"},
    {"a number after an assignment is input", "x = 4\n16\nx^2\n", "x = 4\n16\n16\nx^2\n16\n"},
    {"error lines are results too", "1/0\nERR3001: 0除算\n2/0\n",
     "1/0\nERR3001: 0除算\n2/0\nERR3001: 0除算\n"},
    {"an old error becomes a number", "a = 2\n1/a\nERR3001: 0除算\n", "a = 2\n1/a\n0.5\n"},
    {"comments and empty lines stay", "# total\n\n1+1 # two\n3\n\n", "# total\n\n1+1 # two\n2\n\n"},
    {"any line break reads, LF is written", "1+1\r\n2\r\n3*3\r4\r\n", "1+1\n2\n3*3\n9\n"},
    {"a last line without a line break", "2*21", "2*21\n42"},
    {"a number as nobody shows it is input", "1000*1000\n1000000\n",
     "1000*1000\n1'000'000\n1000000\n1'000'000\n"},
    {"a second number is input of its own", "1+1\n2\n2\n", "1+1\n2\n2\n2\n"},
    {"an error line not in the table is input", "1+1\nERR9: fake\n",
     "1+1\n2\nERR9: fake\nERR3101: 初期化されていない変数\n"},
    {"variables start afresh", "y\ny = 5\ny\n7\n",
     "y\nERR3101: 初期化されていない変数\ny = 5\ny\n5\n"},
    {"scientific and negative results", "1e20*1.5\n1.5e20\n-1/4\n-0.2\n1/30000\n0\n",
     "1e20*1.5\n1.5e20\n-1/4\n-0.25\n1/30000\n3.33333333333333e-5\n"},
    {"an empty sheet", "", ""},
};

}  // namespace tallix::test

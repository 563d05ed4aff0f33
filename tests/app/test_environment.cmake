# What the desktop tests see of the machine: a UTF-8 locale (the menus, error lines and manual
# pages are Japanese) and the fonts of a fontconfig file of their own. Each file lists only the
# folders of Debian font packages that scripts/deps.sh installs, and fontconfig's own rules, so a
# bare root and a desktop full of fonts show a test the same faces. A user's ~/.config/fontconfig
# and /etc/fonts/local.conf stay out for the same reason.

# The folder each font package fills, by a short name.
set(TALLIX_FONT_DIR_dejavu /usr/share/fonts/truetype/dejavu)          # fonts-dejavu-core, -extra
set(TALLIX_FONT_DIR_noto_cjk /usr/share/fonts/opentype/noto)          # fonts-noto-cjk
set(TALLIX_FONT_DIR_noto_mono /usr/share/fonts/truetype/noto)         # fonts-noto-mono
set(TALLIX_FONT_DIR_droid /usr/share/fonts/truetype/droid)            # fonts-droid-fallback
set(TALLIX_FONT_DIR_ipa_gothic /usr/share/fonts/opentype/ipafont-gothic)  # fonts-ipafont-gothic

# The rules Debian's fontconfig-config enables, from the package itself rather than from
# /etc/fonts/conf.d, where other packages add folders and rules of their own.
set(TALLIX_FONTCONFIG_RULES
  10-hinting-slight 10-scale-bitmap-fonts 10-yes-antialias 11-lcdfilter-default
  30-metric-aliases 40-nonlatin 45-generic 45-latin 48-spacing 49-sansserif 60-generic
  60-latin 65-nonlatin 69-unifont 70-no-bitmaps 80-delicious 90-synthetic)

# tallix_font_set(NAME FONT...) writes fontconfig/NAME.conf in the build tree for the named
# folders above and sets TALLIX_FONTS_NAME to the environment entry that selects it.
function(tallix_font_set name)
  set(file ${PROJECT_BINARY_DIR}/fontconfig/${name}.conf)
  set(body "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n")
  string(APPEND body "<!-- Written by tests/app/test_environment.cmake -->\n<fontconfig>\n")
  foreach(font IN LISTS ARGN)
    string(APPEND body "  <dir>${TALLIX_FONT_DIR_${font}}</dir>\n")
  endforeach()
  # One cache per set: fontconfig keys caches by folder, and every set may share them.
  string(APPEND body "  <cachedir>${PROJECT_BINARY_DIR}/fontconfig/cache</cachedir>\n")
  foreach(rule IN LISTS TALLIX_FONTCONFIG_RULES)
    string(APPEND body
      "  <include ignore_missing=\"yes\">/usr/share/fontconfig/conf.avail/${rule}.conf</include>\n")
  endforeach()
  string(APPEND body "</fontconfig>\n")
  file(CONFIGURE OUTPUT ${file} CONTENT "${body}" @ONLY)
  set(TALLIX_FONTS_${name} FONTCONFIG_FILE=${file} PARENT_SCOPE)
endfunction()

# The faces the program's tests rely on: DejaVu (with its Oblique faces) and Noto Sans CJK.
tallix_font_set(standard dejavu noto_cjk)
set(TALLIX_TEST_ENVIRONMENT LANG=C.UTF-8 LC_ALL=C.UTF-8 ${TALLIX_FONTS_standard})

# Console faces and Japanese fallback faces that users often have, a pair to a set.
tallix_font_set(noto_mono_noto_cjk noto_mono noto_cjk)
tallix_font_set(dejavu_droid dejavu droid)
tallix_font_set(noto_mono_ipa noto_mono ipa_gothic)

# tallix_font_set_test(TEST SET CONSOLE_FACE FALLBACK_FACE) runs the widget test TEST again
# under the font set SET; the test reads the two faces it expects from TALLIX_TEST_FACES.
function(tallix_font_set_test test set console fallback)
  add_test(NAME ${test}_${set} COMMAND ${test})
  set_tests_properties(${test}_${set} PROPERTIES LABELS app ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;LC_ALL=C.UTF-8;${TALLIX_FONTS_${set}};TALLIX_TEST_FACES=${console}/${fallback}")
endfunction()

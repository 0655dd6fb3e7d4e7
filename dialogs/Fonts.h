#pragma once

// The screens name the Japanese faces of the desktop they were designed on.
// Debian has none of them; IPA's faces of the same design stand in.

// Maps "ＭＳ 明朝" to IPAMincho, "ＭＳ Ｐ明朝" to IPAPMincho and "ＭＳ Ｐゴシック"
// to IPAPGothic. Call once at start-up (and in GUI tests) before any screen is
// built; calling it again changes nothing.
void InstallFontSubstitutions();

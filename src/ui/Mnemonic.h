// The access keys of the layouts. A layout declares a control's access key
// in its text, Japanese style: "キャンセル(&C)", "ユーザ名(&U) :". The form
// model keeps the plain text ("キャンセル", "ユーザ名 :"), which the logic
// sets and compares; the window host splits the mark off when it takes a
// text from a layout and puts it back when it shows the model's caption.
#pragma once
#include <string>

namespace tollervy::ui {

struct Mnemonic {
    std::string mark;  // "(&C)"; empty: the control has no access key
    std::string tail;  // what followed the mark in the layout (" :"), may be empty
};

// Removes the first "(&X)" (X an ASCII letter or digit) from `text`, wherever
// it stands, and tells what it removed. A text without one comes back as it
// is, with an empty mark.
std::string StripMnemonic(const std::string& text, Mnemonic* found = nullptr);

// The caption as the window shows it. The rule: the mark goes where it stood
// in the layout relative to the end of the text, that is before the layout's
// tail when the caption ends with that tail ("ユーザ名 :" -> "ユーザ名(&U) :"),
// otherwise at the end ("Aoiのデータ" -> "Aoiのデータ(&L)"). An empty caption
// stays empty: an access key alone would be a visible "(C)".
std::string WithMnemonic(const std::string& caption, const Mnemonic& mnemonic);

}  // namespace tollervy::ui

#include "tools/DelphiToJava.h"

#include <array>

namespace {

const std::array<ReplacementRow, 39> kRows = {{
    {u"=", u"=="},
    {u":==", u"="},
    {u">==", u">="},
    {u"<==", u"<="},
    {u"{", u"/*"},
    {u"}", u"*/"},
    {u"'", u"\""},
    {u" do begin", u") {"},
    {u"begin", u"{"},
    {u"end;", u"}"},
    {u"End;", u"}"},
    {u"end", u"}"},
    {u"End", u"}"},
    {u"procedure ", u"public void "},
    {u"Procedure ", u"public void "},
    {u"function ", u"public void "},
    {u"Function ", u"public void "},
    {u"if ", u"if ("},
    {u"If ", u"if ("},
    {u"for ", u"for ("},
    {u"For ", u"for ("},
    {u"while ", u"while ("},
    {u"While ", u"while ("},
    {u" then ", u") "},
    {u" then", u") "},
    {u"<>", u"!="},
    {u" and ", u" && "},
    {u" and", u" &&"},
    {u" or ", u" || "},
    {u" or", u" ||"},
    {u" not ", u" ! "},
    {u" not", u" !"},
    {u"exit", u"return"},
    {u"Exit", u"return"},
    {u".Text", u".getText()"},
    {u".text", u".getText()"},
    {u".SetFocus", u".requestFocus()"},
    {u"Application.MessageBox(", u"JOptionPane.showMessageDialog(null,"},
    {u"FloatToStr", u"String.valueOf"},
}};

} // namespace

std::span<const ReplacementRow> DelphiToJavaRows()
{
    return kRows;
}

TextConversion DelphiToJava(const QString &text)
{
    return ApplyReplacementRows(text, kRows);
}

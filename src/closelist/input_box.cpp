#include "closelist/input_box.h"

#include <cstdint>
#include <vector>

namespace vt {
namespace {

constexpr int kEditId = 100;
constexpr int kPromptId = 101;

// Builds a dialog template in memory, so the box needs no resource script
// and works from any module. Texts are set in WM_INITDIALOG, in ANSI.
class TemplateWriter {
 public:
  void Dialog(DWORD style, short cx, short cy, WORD items) {
    Dword(style);
    Dword(0);  // extended style
    Word(items);
    Word(0);  // x, y: DS_CENTER places the box
    Word(0);
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(0);  // no menu
    Word(0);  // the dialog class
    Word(0);  // empty title, set later
    Word(8);  // DS_SETFONT: point size, then face
    for (const wchar_t* f = L"MS Shell Dlg"; *f; ++f) Word(static_cast<WORD>(*f));
    Word(0);
  }

  void Item(WORD atom, DWORD style, short x, short y, short cx, short cy, WORD id) {
    while (bytes_.size() % 4) bytes_.push_back(0);  // items are DWORD-aligned
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Word(static_cast<WORD>(x));
    Word(static_cast<WORD>(y));
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(id);
    Word(0xFFFF);  // a predefined class, by atom
    Word(atom);
    Word(0);  // empty text
    Word(0);  // no creation data
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

 private:
  void Word(WORD w) {
    bytes_.push_back(static_cast<uint8_t>(w & 0xFF));
    bytes_.push_back(static_cast<uint8_t>(w >> 8));
  }
  void Dword(DWORD d) {
    Word(static_cast<WORD>(d & 0xFFFF));
    Word(static_cast<WORD>(d >> 16));
  }
  // The template must start on a DWORD boundary: heap blocks do.
  std::vector<uint8_t> bytes_;
};

constexpr WORD kButton = 0x0080;
constexpr WORD kEdit = 0x0081;
constexpr WORD kStatic = 0x0082;

struct BoxState {
  const std::string* prompt;
  const std::string* title;
  const std::string* preset;
  std::string result;
};

std::string WindowTextOf(HWND w) {
  const int length = GetWindowTextLengthA(w);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length), '\0');
  const int got = GetWindowTextA(w, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

INT_PTR CALLBACK InputBoxProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      const auto* state = reinterpret_cast<const BoxState*>(lParam);
      SetWindowTextA(dlg, state->title->c_str());
      SetDlgItemTextA(dlg, kPromptId, state->prompt->c_str());
      SetDlgItemTextA(dlg, IDOK, "OK");
      SetDlgItemTextA(dlg, IDCANCEL, "Cancel");
      HWND edit = GetDlgItem(dlg, kEditId);
      SetWindowTextA(edit, state->preset->c_str());
      SendMessageA(edit, EM_SETSEL, 0, -1);
      SetFocus(edit);
      return FALSE;  // focus is set
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        auto* state = reinterpret_cast<BoxState*>(GetWindowLongPtrA(dlg, DWLP_USER));
        state->result = WindowTextOf(GetDlgItem(dlg, kEditId));
        EndDialog(dlg, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dlg, IDCANCEL);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

std::string InputBox(HWND owner, const std::string& prompt, const std::string& title,
                     const std::string& preset) {
  // Dialog units; about the classic input box's size.
  TemplateWriter t;
  t.Dialog(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT | DS_CENTER,
           240, 84, 4);
  t.Item(kStatic, SS_LEFT, 7, 7, 168, 48, kPromptId);
  t.Item(kButton, BS_DEFPUSHBUTTON | WS_TABSTOP, 183, 7, 50, 14, IDOK);
  t.Item(kButton, BS_PUSHBUTTON | WS_TABSTOP, 183, 25, 50, 14, IDCANCEL);
  t.Item(kEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 63, 226, 13, kEditId);

  BoxState state{&prompt, &title, &preset, {}};
  const INT_PTR answer = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Get(), owner,
                                                 InputBoxProc, reinterpret_cast<LPARAM>(&state));
  return answer == IDOK ? state.result : std::string();
}

}  // namespace vt

// The white header the database editor and the configuration window share: Panel1 with the three
// pictures, the "ver 1.0" and "Freeware" labels over them, and Bevel1, the line closing it off.
#pragma once

#include "toolkit/Form.h"

#include <windows.h>

#include <string>
#include <vector>

class THeader {
public:
    // A dialog frame as wide as the header, centred on the screen, in the button-face colour,
    // with the header at its top. Panel1, Image1, Image2, Image3, Label2, Label8 and Bevel1, in
    // that order, take kControlCount control ids from firstId on.
    static constexpr int kControlCount = 7;
    static toolkit::TFormLayout DialogLayout(std::string className, std::string caption,
                                             int clientHeight, int firstId);

    THeader() = default;
    THeader(const THeader&) = delete;
    THeader& operator=(const THeader&) = delete;
    // Call while the form's window still exists; the labels must not paint after this.
    ~THeader();

    // Once the form's controls exist. A transparent label over a picture cannot simply leave its
    // background unpainted: the panel and the picture repaint in no fixed order and would wipe
    // the text. Instead each label paints its background with a copy of what lies beneath it,
    // taken when the label first paints, from the pictures as they are shown then, and taken
    // again once the label or a picture has changed (at another scale, say).
    void MakeBackdrops(const toolkit::TForm& form);

    // After the form's own answer to WM_CTLCOLORSTATIC (text colour, no text background): a
    // header label gets the brush of its backdrop; any other control keeps the form's answer.
    void PaintBackdrop(toolkit::TMessage& message);

private:
    struct Backdrop {
        HWND Label = nullptr;
        bool Made = false;
        HBITMAP Bitmap = nullptr;
        HBRUSH Brush = nullptr;
        RECT At{};                                   // the label's place when it was made
        toolkit::TLook Look = toolkit::TLook::Light; // the look it was made in
        std::vector<HBITMAP> FromPictures;           // the pictures it was copied from
    };
    void MakeBackdrop(Backdrop& backdrop) const;
    // The pictures as the controls show them now.
    std::vector<HBITMAP> ShownPictures() const;
    static void FreeBackdrop(Backdrop& backdrop);

    std::vector<HWND> pictures_;
    std::vector<Backdrop> backdrops_;
};

// Base of the frames: a layered pop-up that shows only a soft-shadowed picture and carries a content window over
// its inner area. The frame leads at first (moving it moves the content); once the user drags the content, the
// content leads and the frame follows it.
//
//   class CMyFrame : public CFramePopupDlg {
//       int FramePictureId() const override { return IDP_MY_FRAME; }
//       Rect ContentRect(const Rect& frameWindow) const override { return MyContentRect(frameWindow, m_scale); }
//       BOOL OnInitDialog() override {
//           MakeLayered(MyFrameSize(m_scale));
//           PushFramePicture(MyFrameSize(m_scale), true);
//           auto content = std::make_unique<CMyContent>(*this);   // set up before it is made
//           if (AttachContent(std::move(content), IDD_MY_CONTENT)) PlaceContent(true);
//           return TRUE;
//       }
//   };
#pragma once

#include "ui/controls/PngImage.h"
#include "ui/controls/SkinnedDialog.h"

#include <memory>

class CFramePopupDlg : public CSkinnedDialog {
public:
    CFramePopupDlg(int templateId, HWND owner);
    ~CFramePopupDlg() override;

    // The user dragged the content: from now on the content leads and the frame follows it.
    void FollowContent(const Rect& contentWindow);

protected:
    // Which picture the frame shows.
    virtual int FramePictureId() const = 0;
    // Where the content goes over a frame whose window rectangle (screen coordinates) is given: when it is placed,
    // and (ContentFollowRect) whenever the frame moves while it leads.
    virtual Rect ContentRect(const Rect& frameWindow) const = 0;
    virtual Rect ContentFollowRect(const Rect& frameWindow) const { return ContentRect(frameWindow); }
    // Where the frame goes around a content that leads; a frame whose content cannot be dragged stays put.
    virtual Rect FrameFollowRect(const Rect& contentWindow) const;

    // Gives the frame its size and makes it a layered window (which shows nothing until its picture is pushed).
    void MakeLayered(Size size);
    // Loads the frame's picture (once); false when it cannot be had.
    bool EnsureFramePicture();
    // Loads the frame's picture and pushes it onto the window, stretched to `size`; false when either fails.
    bool PushFramePicture(Size size, bool highQuality);
    // Makes `content` (set up by the caller) from its template as the frame's content; false, and no content,
    // when the window cannot be made.
    [[nodiscard]] bool AttachContent(std::unique_ptr<CSkinnedDialog> content, int templateId);
    // Puts the content over the frame (ContentRect), shows or hides it, and keeps it above the frame.
    void PlaceContent(bool show);
    // From now on the content leads, from the start: the frame never moves it.
    void LetContentLead() { m_frameMovesContent = false; }

    // The content window, when it was made (and its window still exists, for HasContentWindow).
    CSkinnedDialog* ContentWindow() const { return m_contentDialog.get(); }
    bool HasContentWindow() const { return m_contentDialog && m_contentDialog->IsWindow(); }
    // The content as the class the subclass made it of.
    template <class Content> Content* ContentAs() const { return static_cast<Content*>(m_contentDialog.get()); }

    void OnMove(int x, int y) override;
    // Lets the picture go and destroys the content; a subclass that overrides it calls it.
    void OnDestroy() override;

private:
    PngSlot m_picture;
    bool m_frameMovesContent = true;
    std::unique_ptr<CSkinnedDialog> m_contentDialog;
};

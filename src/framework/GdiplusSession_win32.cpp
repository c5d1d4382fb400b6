// GDI+ start and shutdown.
#include "framework/GdiplusSession.h"

#include "framework/Gdiplus.h"

bool CGdiplusSession::Start() {
    if (m_token != 0) {
        return true;
    }
    Gdiplus::GdiplusStartupInput input;
    return Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
}

void CGdiplusSession::Shutdown() {
    if (m_token != 0) {
        Gdiplus::GdiplusShutdown(m_token);
        m_token = 0;
    }
}

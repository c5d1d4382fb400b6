// The process's GDI+ session: started once by the application object, shut down after every GDI+ object is gone.
#pragma once

#include <windows.h>

class CGdiplusSession {
public:
    CGdiplusSession() = default;
    CGdiplusSession(const CGdiplusSession&) = delete;
    CGdiplusSession& operator=(const CGdiplusSession&) = delete;
    ~CGdiplusSession() { Shutdown(); }

    [[nodiscard]] bool Start();
    void Shutdown();
    [[nodiscard]] bool IsRunning() const { return m_token != 0; }

private:
    ULONG_PTR m_token = 0;
};

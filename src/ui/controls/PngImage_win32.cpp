// PNG resources to GDI+ pictures.
#include "ui/controls/PngImage.h"

#include <cstring>
#include <vector>

namespace {

// A copy of the resource's bytes in a stream that owns them; null when the resource is missing or unreadable.
IStream* ResourceStream(int id) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    if (resource == nullptr) {
        return nullptr;
    }
    const DWORD size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0) {
        return nullptr;
    }
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr) {
        return nullptr;
    }
    void* target = ::GlobalLock(block);
    if (target == nullptr) {
        ::GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &stream))) {
        ::GlobalFree(block);
        return nullptr;
    }
    return stream;
}

// Pictures decoded ahead on a worker thread, in the order asked for. An entry's picture is read by the window
// thread only after the worker has signalled that entry as done.
class CPngPrefetch {
public:
    struct Entry {
        int id;
        HANDLE done = nullptr;
        IStream* stream = nullptr;
        Gdiplus::Image* image = nullptr;
        bool taken = false; // the window thread's own
    };

    void Start(std::initializer_list<int> ids) {
        if (m_thread != nullptr || !m_entries.empty()) {
            return;
        }
        for (int id : ids) {
            HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
            if (done == nullptr) {
                break;
            }
            m_entries.push_back({id, done});
        }
        m_thread = ::CreateThread(nullptr, 0, &CPngPrefetch::Run, this, 0, nullptr);
        if (m_thread == nullptr) {
            Discard(); // each picture is then decoded where it is first used
        }
    }

    // The prefetched picture of `id`, now owned by the caller; false when it was not prefetched (or could not
    // be), and for every later call with the same id.
    bool Take(int id, IStream*& stream, Gdiplus::Image*& image) {
        for (Entry& entry : m_entries) {
            if (entry.id != id || entry.taken) {
                continue;
            }
            entry.taken = true;
            ::WaitForSingleObject(entry.done, INFINITE);
            if (entry.stream == nullptr) {
                return false;
            }
            stream = entry.stream;
            image = entry.image;
            entry.stream = nullptr;
            entry.image = nullptr;
            return true;
        }
        return false;
    }

    void Discard() {
        if (m_thread != nullptr) {
            ::WaitForSingleObject(m_thread, INFINITE);
            ::CloseHandle(m_thread);
            m_thread = nullptr;
        }
        for (Entry& entry : m_entries) {
            delete entry.image;
            if (entry.stream != nullptr) {
                entry.stream->Release();
            }
            ::CloseHandle(entry.done);
        }
        m_entries.clear();
    }

private:
    static DWORD WINAPI Run(void* self) {
        for (Entry& entry : static_cast<CPngPrefetch*>(self)->m_entries) {
            entry.stream = ResourceStream(entry.id);
            if (entry.stream != nullptr) {
                entry.image = Gdiplus::Image::FromStream(entry.stream, FALSE);
                if (entry.image == nullptr) {
                    entry.stream->Release();
                    entry.stream = nullptr;
                }
            }
            ::SetEvent(entry.done);
        }
        return 0;
    }

    std::vector<Entry> m_entries;
    HANDLE m_thread = nullptr;
};

CPngPrefetch g_prefetch;

} // namespace

CPngImage::CPngImage(IStream* stream, Gdiplus::Image* image)
    : m_stream(stream), m_image(image), m_decodeTried(image != nullptr) {}

CPngImage::~CPngImage() {
    m_image.reset();
    if (m_stream != nullptr) {
        m_stream->Release();
    }
}

Gdiplus::Image* CPngImage::Get() const {
    if (!m_decodeTried) {
        m_decodeTried = true;
        m_image.reset(Gdiplus::Image::FromStream(m_stream, FALSE));
    }
    return m_image.get();
}

bool CPngImage::Decoded() const {
    const Gdiplus::Image* image = Get();
    return image != nullptr && image->GetLastStatus() == Gdiplus::Ok;
}

Size CPngImage::PixelSize() const {
    if (!Decoded()) {
        return {};
    }
    return {static_cast<int>(m_image->GetWidth()), static_cast<int>(m_image->GetHeight())};
}

bool CPngImage::Load(int id, std::unique_ptr<CPngImage>& slot) {
    IStream* stream = nullptr;
    Gdiplus::Image* image = nullptr;
    if (!g_prefetch.Take(id, stream, image)) {
        stream = ResourceStream(id);
        if (stream == nullptr) {
            return false;
        }
    }
    slot.reset(new CPngImage(stream, image));
    return true;
}

bool EnsurePng(int id, PngSlot& slot) {
    if (!slot) {
        CPngImage::Load(id, slot);
    }
    return slot != nullptr;
}

void PrefetchPngs(std::initializer_list<int> ids) {
    g_prefetch.Start(ids);
}

void DiscardPrefetchedPngs() {
    g_prefetch.Discard();
}

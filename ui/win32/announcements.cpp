#include "ui/win32/announcements.h"

#include <oleacc.h>

#include <memory>
#include <string>

#include "text/wide_text.h"

namespace tilewright {

namespace {

// The accessibility and automation libraries bring COM with them. They are loaded when a screen
// reader first asks, not at start, so the window opens as quickly without one.
struct AccessibilityLibrary {
    decltype(&CreateStdAccessibleObject) createStandardObject = nullptr;
    decltype(&LresultFromObject) resultFromObject = nullptr;
    decltype(&SysAllocStringLen) allocateString = nullptr;
};

const AccessibilityLibrary* accessibilityLibrary() {
    static const AccessibilityLibrary library = [] {
        AccessibilityLibrary loaded;
        const HMODULE oleacc = LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        const HMODULE oleaut =
            LoadLibraryExW(L"oleaut32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (oleacc != nullptr && oleaut != nullptr) {
            loaded.createStandardObject = systemFunction<decltype(&CreateStdAccessibleObject)>(
                oleacc, "CreateStdAccessibleObject");
            loaded.resultFromObject =
                systemFunction<decltype(&LresultFromObject)>(oleacc, "LresultFromObject");
            loaded.allocateString =
                systemFunction<decltype(&SysAllocStringLen)>(oleaut, "SysAllocStringLen");
        }
        return loaded;
    }();
    return library.createStandardObject && library.resultFromObject && library.allocateString
               ? &library
               : nullptr;
}

bool isSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// Windows' standard accessible object for the control, passed through untouched except for the
// name and the description of the control itself.
class AnnouncedObject final : public IAccessible {
public:
    AnnouncedObject(IAccessible* standard, const layout::Announcement& announcement,
                    const AccessibilityLibrary& library)
        : standard_(standard),
          name_(toWide(announcement.name)),
          description_(toWide(announcement.description)),
          library_(library) {}
    AnnouncedObject(const AnnouncedObject&) = delete;
    AnnouncedObject& operator=(const AnnouncedObject&) = delete;

    // IUnknown. Interfaces other than IAccessible's (IEnumVARIANT, IOleWindow) are the standard
    // object's, as they carry nothing to change.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(id, __uuidof(IUnknown)) || IsEqualIID(id, __uuidof(IDispatch)) ||
            IsEqualIID(id, __uuidof(IAccessible))) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return standard_->QueryInterface(id, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const auto left = static_cast<ULONG>(InterlockedDecrement(&references_));
        if (left == 0) {
            delete this;
        }
        return left;
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return standard_->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return standard_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return standard_->GetIDsOfNames(id, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override {
        return standard_->Invoke(member, id, locale, flags, parameters, result, exception,
                                 argumentError);
    }

    // IAccessible: the two texts of our own.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!isSelf(child)) {
            return standard_->get_accName(child, name);
        }
        return copyText(name_, name);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        if (!isSelf(child) || description_.empty()) {
            return standard_->get_accDescription(child, description);
        }
        return copyText(description_, description);
    }

    // IAccessible: the rest as Windows answers it.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        return standard_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return standard_->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return standard_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return standard_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        return standard_->get_accFocus(focus);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return standard_->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override {
        return standard_->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(child, value);
    }

private:
    ~AnnouncedObject() { standard_->Release(); }

    HRESULT copyText(const std::wstring& text, BSTR* copy) const {
        if (copy == nullptr) {
            return E_POINTER;
        }
        *copy = library_.allocateString(text.data(), static_cast<UINT>(text.size()));
        return *copy != nullptr ? S_OK : E_OUTOFMEMORY;
    }

    IAccessible* standard_;
    std::wstring name_;
    std::wstring description_;
    const AccessibilityLibrary& library_;
    LONG references_ = 1;
};

// What a control announced through announceAs keeps in its GWLP_USERDATA: the window
// procedure it had before and the texts to answer with. The window procedure is replaced
// directly rather than through comctl32's SetWindowSubclass, which looks its data up in a
// window property on every message the control gets; under Wine each such lookup is a round
// trip to the wineserver, some hundreds of them before the window first shows.
struct Announced {
    WNDPROC original;
    const layout::Announcement* announcement;
};

LRESULT answerGetObject(HWND control, WPARAM flags, LPARAM objectId, const Announced& announced) {
    const AccessibilityLibrary* library = accessibilityLibrary();
    IAccessible* standard = nullptr;
    if (library == nullptr ||
        FAILED(library->createStandardObject(control, OBJID_CLIENT, __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&standard)))) {
        return CallWindowProcW(announced.original, control, WM_GETOBJECT, flags, objectId);
    }
    auto* object = new AnnouncedObject(standard, *announced.announcement, *library);
    // The result holds its own reference; ours goes.
    const LRESULT result = library->resultFromObject(__uuidof(IAccessible), flags, object);
    object->Release();
    return result;
}

LRESULT CALLBACK announcingProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* announced =
        reinterpret_cast<const Announced*>(GetWindowLongPtrW(control, GWLP_USERDATA));
    // The object id is a DWORD; compared as a 64-bit LPARAM its sign extension would differ.
    if (message == WM_GETOBJECT && static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
        return answerGetObject(control, wParam, lParam, *announced);
    }
    if (message == WM_NCDESTROY) {
        // The control's last message: it goes to the original procedure, then the data goes.
        const std::unique_ptr<const Announced> owned(announced);
        SetWindowLongPtrW(control, GWLP_USERDATA, 0);
        return CallWindowProcW(owned->original, control, message, wParam, lParam);
    }
    return CallWindowProcW(announced->original, control, message, wParam, lParam);
}

}  // namespace

void announceAs(HWND control, const layout::Announcement& announcement) {
    auto announced = std::make_unique<Announced>(Announced{nullptr, &announcement});
    // The data is in place before the first message reaches the new procedure.
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(announced.get()));
    announced->original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&announcingProc)));
    announced.release();  // freed at WM_NCDESTROY
}

}  // namespace tilewright

// WASAPI's endpoints in shared mode: recording devices and the default output (for a loopback) from the device
// enumerator, device changes from its notification client, streams from IAudioClient in the mix format.
#define WIN32_LEAN_AND_MEAN
#include <initguid.h>
#include <windows.h>
#include <mmreg.h>
#include <audioclient.h>
#include <functiondiscoverykeys_devpkey.h>
#include <mmdeviceapi.h>

#include <cstdio>

#include "shell/platform/win/WasapiEndpoints.h"
#include "shell/platform/win/WideText.h"

namespace vornix {

namespace {

std::string describe(HRESULT hr)
{
    char text[32];
    std::snprintf(text, sizeof text, "error 0x%08lX", static_cast<unsigned long>(hr));
    if (hr == AUDCLNT_E_DEVICE_INVALIDATED)
        return "the device is gone";
    if (hr == AUDCLNT_E_WRONG_ENDPOINT_TYPE)
        return std::string("no loopback on this system, ") + text;
    return text;
}

template <class T> void releaseCom(T*& p)
{
    if (p)
        p->Release();
    p = nullptr;
}

std::string deviceId(IMMDevice* device)
{
    LPWSTR id = nullptr;
    std::string out;
    if (SUCCEEDED(device->GetId(&id)) && id)
        out = narrow(id);
    CoTaskMemFree(id);
    return out;
}

std::string friendlyName(IMMDevice* device)
{
    IPropertyStore* store = nullptr;
    std::string out;
    if (SUCCEEDED(device->OpenPropertyStore(STGM_READ, &store))) {
        PROPVARIANT value;
        PropVariantInit(&value);
        if (SUCCEEDED(store->GetValue(PKEY_Device_FriendlyName, &value)) && value.vt == VT_LPWSTR && value.pwszVal)
            out = narrow(value.pwszVal);
        PropVariantClear(&value);
        store->Release();
    }
    return out.empty() ? deviceId(device) : out;
}

class ComStream : public EndpointStream {
public:
    ComStream(IAudioClient* client, IAudioCaptureClient* capture, PcmFormat format)
        : client_(client), capture_(capture), format_(format) {}
    ~ComStream() override
    {
        client_->Stop();
        releaseCom(capture_);
        releaseCom(client_);
    }
    PcmFormat format() const override { return format_; }
    bool next(const void*& data, std::size_t& frames, bool& silent, std::uint64_t& position,
              std::string& error) override
    {
        frames = 0;
        position = noPosition;
        UINT32 waiting = 0;
        HRESULT hr = capture_->GetNextPacketSize(&waiting);
        if (SUCCEEDED(hr) && waiting == 0)
            return true;
        BYTE* bytes = nullptr;
        UINT32 got = 0;
        DWORD flags = 0;
        UINT64 devicePosition = 0;
        if (SUCCEEDED(hr))
            hr = capture_->GetBuffer(&bytes, &got, &flags, &devicePosition, nullptr);
        if (FAILED(hr)) {
            error = describe(hr);
            return false;
        }
        data = bytes;
        frames = got;
        silent = (flags & AUDCLNT_BUFFERFLAGS_SILENT) != 0;
        position = devicePosition;
        return true;
    }
    void release(std::size_t frames) override { capture_->ReleaseBuffer(static_cast<UINT32>(frames)); }

private:
    IAudioClient* client_;
    IAudioCaptureClient* capture_;
    PcmFormat format_;
};

PcmFormat pcmFormatOf(const WAVEFORMATEX& wf)
{
    PcmFormat f;
    f.sampleRate = static_cast<int>(wf.nSamplesPerSec);
    f.channels = wf.nChannels;
    f.bitsPerSample = wf.wBitsPerSample;
    f.blockAlign = wf.nBlockAlign;
    WORD tag = wf.wFormatTag;
    if (tag == WAVE_FORMAT_EXTENSIBLE && wf.cbSize >= 22)
        tag = static_cast<WORD>(reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(wf).SubFormat.Data1);
    f.isFloat = tag == WAVE_FORMAT_IEEE_FLOAT;
    if (tag != WAVE_FORMAT_PCM && !f.isFloat)
        f.bitsPerSample = 0;   // unreadable
    return f;
}

class ComEndpoints : public WasapiEndpoints, public IMMNotificationClient {
public:
    ComEndpoints() : comReady_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~ComEndpoints() override
    {
        if (enumerator_ && watching_)
            enumerator_->UnregisterEndpointNotificationCallback(this);
        releaseCom(enumerator_);
        if (comReady_)
            CoUninitialize();
    }

    HRESULT start()
    {
        return CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                reinterpret_cast<void**>(&enumerator_));
    }

    void watch(std::function<void()> onChange) override
    {
        changed_ = std::move(onChange);
        watching_ = SUCCEEDED(enumerator_->RegisterEndpointNotificationCallback(this));
    }

    std::vector<AudioDevice> inputs() override
    {
        std::vector<AudioDevice> out;
        IMMDeviceCollection* all = nullptr;
        UINT count = 0;
        if (SUCCEEDED(enumerator_->EnumAudioEndpoints(eCapture, DEVICE_STATE_ACTIVE, &all)) &&
            SUCCEEDED(all->GetCount(&count)))
            for (UINT k = 0; k < count; ++k) {
                IMMDevice* device = nullptr;
                if (SUCCEEDED(all->Item(k, &device))) {
                    out.push_back({deviceId(device), friendlyName(device), false});
                    device->Release();
                }
            }
        releaseCom(all);
        return out;
    }

    std::string defaultOutput() override
    {
        IMMDevice* device = nullptr;
        std::string id;
        if (SUCCEEDED(enumerator_->GetDefaultAudioEndpoint(eRender, eConsole, &device)))
            id = deviceId(device);
        releaseCom(device);
        return id;
    }

    std::unique_ptr<EndpointStream> open(Kind kind, const std::string& id, std::string& name,
                                         std::string& error) override
    {
        IMMDevice* device = nullptr;
        HRESULT hr = kind == Kind::Loopback       ? enumerator_->GetDefaultAudioEndpoint(eRender, eConsole, &device)
                     : kind == Kind::DefaultInput ? enumerator_->GetDefaultAudioEndpoint(eCapture, eConsole, &device)
                                                  : enumerator_->GetDevice(widen(id).c_str(), &device);
        if (FAILED(hr)) {
            error = kind == Kind::Input ? "the device is gone" : describe(hr);
            return nullptr;
        }
        name = friendlyName(device);
        IAudioClient* client = nullptr;
        IAudioCaptureClient* capture = nullptr;
        WAVEFORMATEX* mix = nullptr;
        PcmFormat format;
        hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&client));
        if (SUCCEEDED(hr))
            hr = client->GetMixFormat(&mix);
        if (SUCCEEDED(hr)) {
            format = pcmFormatOf(*mix);
            hr = client->Initialize(AUDCLNT_SHAREMODE_SHARED, kind == Kind::Loopback ? AUDCLNT_STREAMFLAGS_LOOPBACK : 0,
                                    10000000 /* 1 s: room for a reader a busy machine keeps waiting */, 0, mix,
                                    nullptr);
        }
        if (SUCCEEDED(hr))
            hr = client->GetService(__uuidof(IAudioCaptureClient), reinterpret_cast<void**>(&capture));
        if (SUCCEEDED(hr))
            hr = client->Start();
        CoTaskMemFree(mix);
        releaseCom(device);
        if (FAILED(hr)) {
            error = describe(hr);
            releaseCom(capture);
            releaseCom(client);
            return nullptr;
        }
        return std::make_unique<ComStream>(client, capture, format);
    }

    // IMMNotificationClient: every change makes the capture look again.
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return notify(); }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return notify(); }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return notify(); }
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow, ERole, LPCWSTR) override { return notify(); }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }
    // The object lives as long as the capture thread keeps it; COM's reference count is not its owner.
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IMMNotificationClient)) {
            *out = static_cast<IMMNotificationClient*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }

private:
    HRESULT notify()
    {
        if (changed_)
            changed_();
        return S_OK;
    }
    bool comReady_;
    bool watching_ = false;
    std::function<void()> changed_;   // set before the callback is registered, cleared only after it is not
    IMMDeviceEnumerator* enumerator_ = nullptr;
};

} // namespace

std::unique_ptr<WasapiEndpoints> makeComEndpoints(std::string& error)
{
    auto endpoints = std::make_unique<ComEndpoints>();
    const HRESULT hr = endpoints->start();
    if (FAILED(hr)) {
        error = "no audio device service, " + describe(hr);
        return nullptr;
    }
    return endpoints;
}

} // namespace vornix

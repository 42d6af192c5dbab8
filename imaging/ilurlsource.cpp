#include "imaging/ilurlsource.h"

#include <dlfcn.h>

#include <mutex>

#include <curl/curl.h>

#include "imaging/iltextexception.h"

namespace {

// What is used of libcurl. The library is opened with the first transfer rather than
// linked: it brings some twenty libraries whose loading every start of the program paid.
struct CurlCalls
{
    decltype(&::curl_global_init) globalInit = nullptr;
    decltype(&::curl_global_cleanup) globalCleanup = nullptr;
    decltype(&::curl_easy_init) easyInit = nullptr;
    decltype(&::curl_easy_cleanup) easyCleanup = nullptr;
    decltype(&::curl_easy_setopt) setOption = nullptr;
    decltype(&::curl_easy_perform) perform = nullptr;
    decltype(&::curl_easy_getinfo) getInfo = nullptr;
    decltype(&::curl_easy_strerror) errorText = nullptr;
};

template <typename Function>
bool Resolve(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

// Null members when the library or one of its calls is missing.
CurlCalls LoadCurl()
{
    // Kept open for the life of the program, as a linked library would be.
    void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    CurlCalls calls;
    if (library == nullptr) {
        return calls;
    }
    const bool complete = Resolve(library, "curl_global_init", calls.globalInit) &&
                          Resolve(library, "curl_global_cleanup", calls.globalCleanup) &&
                          Resolve(library, "curl_easy_init", calls.easyInit) &&
                          Resolve(library, "curl_easy_cleanup", calls.easyCleanup) &&
                          Resolve(library, "curl_easy_setopt", calls.setOption) &&
                          Resolve(library, "curl_easy_perform", calls.perform) &&
                          Resolve(library, "curl_easy_getinfo", calls.getInfo) &&
                          Resolve(library, "curl_easy_strerror", calls.errorText);
    return complete ? calls : CurlCalls{};
}

// One libcurl set-up and one transfer handle for the whole program, cleaned up at exit.
// The handle serves one transfer at a time: a source holds the lock for its whole transfer.
class CurlSession
{
public:
    CurlSession() : m_calls(LoadCurl())
    {
        if (m_calls.globalInit == nullptr) {
            return;
        }
        m_calls.globalInit(CURL_GLOBAL_ALL);
        m_handle = m_calls.easyInit();
    }
    ~CurlSession()
    {
        if (m_calls.globalInit == nullptr) {
            return;
        }
        if (m_handle != nullptr) {
            m_calls.easyCleanup(m_handle);
        }
        m_calls.globalCleanup();
    }
    CurlSession(const CurlSession&) = delete;
    CurlSession& operator=(const CurlSession&) = delete;

    [[nodiscard]] const CurlCalls& Calls() const { return m_calls; }
    [[nodiscard]] CURL* Handle() const { return m_handle; }
    [[nodiscard]] std::mutex& Lock() { return m_lock; }

private:
    CurlCalls m_calls;
    CURL* m_handle = nullptr;
    std::mutex m_lock;
};

CurlSession& TheSession()
{
    static CurlSession session;
    return session;
}

struct StatusEntry
{
    long code;
    const char* text;
};

constexpr StatusEntry kStatusTexts[] = {
    {400, "Bad Request"},
    {401, "Unauthorized"},
    {402, "Payment Required"},
    {403, "Forbidden"},
    {404, "Not Found"},
    {405, "Method Not Allowed"},
    {406, "Not Acceptable"},
    {407, "Proxy Authentication Required"},
    {408, "Request Time-out"},
    {409, "Conflict"},
    {410, "Gone"},
    {411, "Length Required"},
    {412, "Precondition Failed"},
    {413, "Request Entity Too Large"},
    {414, "Request-URI Too Large"},
    {415, "Unsupported Media Type"},
    {416, "Requested range not satisfiable"},
    {417, "Expectation Failed"},
    {500, "Internal Server Error"},
    {501, "Not Implemented"},
    {502, "Bad Gateway"},
    {503, "Service Unavailable"},
    {504, "Gateway Time-out"},
    {505, "HTTP Version not supported"},
};

}  // namespace

ILURLSource::ILURLSource()
{
    m_data.reserve(32786);
}

ILURLSource::~ILURLSource()
{
    ILURLSource::Close();
}

std::string ILURLSource::StatusText(long status)
{
    for (const StatusEntry& entry : kStatusTexts) {
        if (entry.code == status) {
            return entry.text;
        }
    }
    return "Unknown error" + std::to_string(status);
}

std::size_t ILURLSource::Receive(char* data, std::size_t size, std::size_t count, void* self)
{
    auto* source = static_cast<ILURLSource*>(self);
    const std::size_t bytes = size * count;
    if (bytes > kMaxDownload - source->m_data.size()) {
        return 0;  // refusing the chunk ends the transfer with a write error
    }
    source->m_data.insert(source->m_data.end(), data, data + bytes);
    return bytes;
}

int ILURLSource::Open(const char* url)
{
    Close();
    m_errorText.clear();
    m_errorCode = 0;
    CurlSession& session = TheSession();
    const std::lock_guard<std::mutex> guard(session.Lock());
    const CurlCalls& curl = session.Calls();
    CURL* handle = session.Handle();
    if (handle == nullptr || url == nullptr) {
        m_errorCode = CURLE_FAILED_INIT;
        // libcurl's own text for the code, also when the library could not be opened.
        m_errorText = curl.errorText != nullptr ? curl.errorText(CURLE_FAILED_INIT) : "Failed initialization";
        return ILTextException::urlFailed;
    }
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl.setOption(handle, CURLOPT_URL, url);
    curl.setOption(handle, CURLOPT_NOPROGRESS, 1L);
    curl.setOption(handle, CURLOPT_WRITEFUNCTION, &ILURLSource::Receive);
    curl.setOption(handle, CURLOPT_WRITEDATA, this);
    curl.setOption(handle, CURLOPT_ERRORBUFFER, errorBuffer);
    const CURLcode result = curl.perform(handle);
    // The handle outlives this call; it must not keep pointers into it.
    curl.setOption(handle, CURLOPT_ERRORBUFFER, nullptr);
    curl.setOption(handle, CURLOPT_WRITEDATA, nullptr);
    if (result != CURLE_OK) {
        m_data.clear();
        m_errorCode = static_cast<int>(result);
        m_errorText = errorBuffer[0] != '\0' ? errorBuffer : curl.errorText(result);
        return ILTextException::urlFailed;
    }
    long status = 0;
    curl.getInfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 400) {
        m_data.clear();
        m_errorCode = static_cast<int>(status);
        m_errorText = StatusText(status);
        return ILTextException::urlFailed;
    }
    m_offset = 0;
    ILDataSource::Open(url, static_cast<std::int64_t>(m_data.size()));
    return ILTextException::none;
}

void ILURLSource::Close()
{
    m_data.clear();
    m_offset = 0;
    ILDataSource::Close();
}

const std::uint8_t* ILURLSource::GetBufferPtr(std::int64_t minBytes)
{
    CheckAvailable(minBytes);
    return m_data.data() + m_offset;
}

const std::uint8_t* ILURLSource::ReadNBytes(std::int64_t count)
{
    ILDataSource::ReadNBytes(count);
    const std::uint8_t* start = m_data.data() + m_offset;
    m_offset += static_cast<std::size_t>(count);
    return start;
}

const std::uint8_t* ILURLSource::ReadEverything()
{
    return m_data.data() + m_offset;
}

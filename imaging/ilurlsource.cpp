#include "imaging/ilurlsource.h"

#include <mutex>

#include <curl/curl.h>

#include "imaging/iltextexception.h"

namespace {

// One libcurl set-up and one transfer handle for the whole program, cleaned up at exit.
// The handle serves one transfer at a time: a source holds the lock for its whole transfer.
class CurlSession
{
public:
    CurlSession()
    {
        curl_global_init(CURL_GLOBAL_ALL);
        m_handle = curl_easy_init();
    }
    ~CurlSession()
    {
        if (m_handle != nullptr) {
            curl_easy_cleanup(m_handle);
        }
        curl_global_cleanup();
    }
    CurlSession(const CurlSession&) = delete;
    CurlSession& operator=(const CurlSession&) = delete;

    [[nodiscard]] CURL* Handle() const { return m_handle; }
    [[nodiscard]] std::mutex& Lock() { return m_lock; }

private:
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
    CURL* handle = session.Handle();
    if (handle == nullptr || url == nullptr) {
        m_errorCode = CURLE_FAILED_INIT;
        m_errorText = curl_easy_strerror(CURLE_FAILED_INIT);
        return ILTextException::urlFailed;
    }
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(handle, CURLOPT_URL, url);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 1L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &ILURLSource::Receive);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);
    const CURLcode result = curl_easy_perform(handle);
    // The handle outlives this call; it must not keep pointers into it.
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, nullptr);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, nullptr);
    if (result != CURLE_OK) {
        m_data.clear();
        m_errorCode = static_cast<int>(result);
        m_errorText = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(result);
        return ILTextException::urlFailed;
    }
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
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

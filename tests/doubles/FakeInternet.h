#pragma once
// An internet of canned answers: each URL maps to a status, headers and a body that is
// read back in the sizes the client asks for.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Internet.h"

namespace dx::test {

class FakeInternet : public platform::IInternet {
 public:
  struct Answer {
    std::uint32_t status = 200;
    std::map<std::string, std::string> headers;
    std::string body;
    bool sendFails = false;
    std::size_t breakAfter = std::string::npos;  // the connection is lost after this many bytes
  };
  struct RequestLog {
    std::string url;
    std::uint32_t flags;
  };

  std::map<std::string, Answer> answers;
  std::vector<platform::InternetSessionOptions> sessions;
  std::vector<RequestLog> requests;
  std::vector<std::size_t> readSizes;
  bool offline = false;

  std::unique_ptr<platform::IInternetSession> OpenSession(const platform::InternetSessionOptions& options) override {
    sessions.push_back(options);
    return std::make_unique<Session>(*this);
  }
  bool IsOffline() override { return offline; }

 private:
  class Request : public platform::IInternetRequest {
   public:
    Request(FakeInternet& owner, const Answer* answer) : owner_(owner), answer_(answer) {}
    bool Send(const std::string&) override { return answer_ && !answer_->sendFails; }
    std::uint32_t StatusCode() override { return answer_ ? answer_->status : 0; }
    std::optional<std::string> Header(const std::string& name) override {
      if (!answer_) return std::nullopt;
      auto it = answer_->headers.find(name);
      if (it == answer_->headers.end()) return std::nullopt;
      return it->second;
    }
    bool SetCredentials(const std::string&, const std::string&, bool) override { return true; }
    platform::InternetReadResult Read(std::size_t maxBytes) override {
      owner_.readSizes.push_back(maxBytes);
      if (!answer_) return {false, {}};
      const std::size_t end = std::min(answer_->body.size(), answer_->breakAfter);
      if (offset_ >= end) return {offset_ >= answer_->body.size(), {}};
      const std::size_t n = std::min(maxBytes, end - offset_);
      std::string chunk = answer_->body.substr(offset_, n);
      offset_ += n;
      return {true, chunk};
    }
    std::uint32_t LastError() override { return answer_ ? 0 : 12007; }  // name not resolved

   private:
    FakeInternet& owner_;
    const Answer* answer_;
    std::size_t offset_ = 0;
  };

  class Session : public platform::IInternetSession {
   public:
    explicit Session(FakeInternet& owner) : owner_(owner) {}
    std::unique_ptr<platform::IInternetRequest> OpenRequest(const std::string& url, std::uint32_t flags) override {
      owner_.requests.push_back({url, flags});
      auto it = owner_.answers.find(url);
      return std::make_unique<Request>(owner_, it == owner_.answers.end() ? nullptr : &it->second);
    }

   private:
    FakeInternet& owner_;
  };
};

}  // namespace dx::test

#include "proxy/TranscoderHandOff.h"

#include "base/TextUtil.h"
#include "base/TranscoderContract.h"
#include "base/TranscoderPort.h"
#include "platform/Files.h"
#include "platform/MessageWindow.h"
#include "platform/Shell.h"
#include "platform/Thread.h"
#include "proxy/Replies.h"
#include "proxy/RequestHead.h"

namespace {

constexpr unsigned kTranscoderStartPause = 500;
constexpr std::uint32_t kTunerMessageBase = 1354;
constexpr const char* kViewerClass = "TMain";
constexpr const char* kViewerTitle = "BrevikFly2000TV";

void SwitchTunerChannel(ClientThread& client) {
  const int channel = ParseInteger(client.groupPortText);
  const platform::WindowRef viewer = platform::FindMessageWindow(kViewerClass, kViewerTitle);
  if (!viewer.Found()) {
    client.Log("] Error, Fly2000TV not found");
    return;
  }
  const TunerMessages messages = TunerMessagesFor(channel);
  platform::PostWindowMessage(viewer, messages.first);
  platform::PostWindowMessage(viewer, messages.second);
  client.Log("] Switch Fly2000TV to ch." + std::to_string(channel));
}

}  // namespace

TranscoderAddress TranscoderAddressFor(const std::string& host, const std::string& hostPort,
                                       const std::string& arrivedAt) {
  // A request without a "Host:" header would otherwise be sent to "http://:1/"; the transcoder serves beside the
  // proxy's own port.
  const RequestAuthority authority = AuthorityOf(host, hostPort, arrivedAt);
  const int port = TranscoderPortAfter(authority.port);
  return {authority.host, port == 0 ? std::string() : std::to_string(port)};
}

TunerMessages TunerMessagesFor(int channel) {
  return {kTunerMessageBase + static_cast<std::uint32_t>(channel / 10),
          kTunerMessageBase + static_cast<std::uint32_t>(channel % 10)};
}

void HandOffToTranscoder(ClientThread& client, const std::string& host, const std::string& hostPort) {
  const std::string arrivedAt = host.empty() ? platform::LocalEndpointText(client.clientSocket.Get()) : std::string();
  const TranscoderAddress address = TranscoderAddressFor(host, hostPort, arrivedAt);
  if (!FitsTranscoderRequest(client.groupAddress) || !FitsTranscoderRequest(client.interfaceText) ||
      address.port.empty()) {
    SendReply(client, 400);
    client.Log("] Thread terminating, unknown HTTP-request");
    return;
  }
  const std::string text =
      JoinTranscoderRequest({client.groupAddress, client.groupPortText, address.port, client.interfaceText});
  platform::WindowRef transcoder = platform::FindMessageWindow(kTranscoderWindowClass, std::string());
  if (!transcoder.Found()) {
    client.Log("] Transcoder not running, starting");
    platform::StartProgram(platform::ProgramPath(), "/transcoder");
    platform::SleepMilliseconds(kTranscoderStartPause);
    transcoder = platform::FindMessageWindow(kTranscoderWindowClass, std::string());
  }
  if (transcoder.Found()) {
    client.Log("] Transcoder running");
    // Returns once the transcoder has started the stream; a window without its field takes nothing.
    platform::SendWindowText(transcoder, text);
    client.Log("] Request for " + client.groupAddress + ":" + client.groupPortText + " sent to transcoder");
    SendReply(client, 302, "http://" + address.host + ":" + address.port + "/");
    client.Log("] Redirect to transcoder at " + address.host + ":" + address.port + " sent");
  } else {
    SendReply(client, 400);
    client.Log("] Error - transcoder not running, redirect not sent");
  }
  if (client.groupAddress == "tv") SwitchTunerChannel(client);
}

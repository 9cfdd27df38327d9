"""End to end: real HTTP clients on Linux against the web host under Wine,
answering through DVLWHAPI.dll and the gateway kernel."""
import socket
import subprocess

from webhost_fixture import Checks, WebHost, common_arguments, stop_on_termination


def curl(host, path, *options):
    """Runs curl; returns (status, headers text, body text)."""
    url = "http://127.0.0.1:%d%s" % (host.port, path)
    out = subprocess.run(["curl", "-s", "-S", "-m", "30", "-i", "--globoff", *options, url],
                         capture_output=True, timeout=60)
    if out.returncode != 0:
        return 0, "", out.stderr.decode(errors="replace")
    raw = out.stdout.decode("latin-1")
    head, _, body = raw.partition("\r\n\r\n")
    status = int(head.split()[1])
    return status, head, body


def raw_exchange(host, data, half_close=False):
    """Sends bytes on a fresh connection and reads until the host closes it."""
    with socket.create_connection(("127.0.0.1", host.port), timeout=30) as s:
        s.sendall(data)
        if half_close:
            s.shutdown(socket.SHUT_WR)
        chunks = []
        while True:
            chunk = s.recv(65536)
            if not chunk:
                break
            chunks.append(chunk)
    return b"".join(chunks).decode("latin-1")


def main():
    args = common_arguments(__doc__).parse_args()
    stop_on_termination()
    check = Checks()
    with WebHost(args, trace=True) as host:
        # GET with a query string: no body, so the plug-in reports the missing length.
        status, head, body = curl(host, "/gw/path?id=get1&name=a%20b")
        check.expect(status == 200, "GET status %d" % status)
        check.contains(head, "Content-Type: text/plain", "GET header")
        check.contains(body, "interface=WHAPI\n", "GET")
        check.contains(body, "&REQUEST_METHOD=GET&SCRIPT_NAME=%2Fgw%2Fpath&", "GET")
        check.contains(body, "&QUERY_STRING=id%3Dget1%26name%3Da%2520b&", "GET")
        check.contains(body, "&SERVER_PROTOCOL=HTTP%2F1.1&GATEWAY_INTERFACE=CGI%2F1.1\n", "GET")
        check.contains(body, "&CONTENT_LENGTH=&", "GET")
        check.contains(body, "input-length=1\nbody=\n", "GET")

        # POST with a body and its length.
        status, _, body = curl(host, "/gw?id=post1", "--data-binary", "a=1&b=2 3")
        check.expect(status == 200, "POST status %d" % status)
        check.contains(body, "&CONTENT_LENGTH=9&", "POST")
        check.contains(body, "&CONTENT_TYPE=application%2Fx-www-form-urlencoded&", "POST")
        check.contains(body, "input-length=10\nbody=a=1&b=2 3\n", "POST")

        # A body larger than the default read size arrives whole when its length is given.
        large = "".join(chr(ord("a") + i % 26) for i in range(10000))
        status, _, body = curl(host, "/gw?id=large", "--data-binary", large)
        check.contains(body, "input-length=10001\nbody=" + large + "\n", "large POST")

        # No Content-Length: a chunked body is read up to the default size.
        status, _, body = curl(host, "/gw?id=chunked", "-H", "Transfer-Encoding: chunked",
                               "--data-binary", "chunked body")
        check.expect(status == 200, "chunked status %d" % status)
        check.contains(body, "&CONTENT_LENGTH=&", "chunked")
        check.contains(body, "input-length=13\nbody=chunked body\n", "chunked")
        status, _, body = curl(host, "/gw?id=chunked-large", "-H", "Transfer-Encoding: chunked",
                               "--data-binary", "x" * 6000)
        check.contains(body, "input-length=4097\nbody=" + "x" * 4096 + "\n", "large chunked")

        # Headers with characters that need encoding reach the gateway encoded.
        status, _, body = curl(host, "/gw?id=headers", "-A", "Agent/1.0 (x; y) & co=1 %",
                               "-H", "Referer: http://x/?a=1&b=2", "-H", "Accept-Language: de, en;q=0.5",
                               "-H", "Pragma: no-cache", "-H", "Authorization: Basic dXNlcjpwdw==")
        check.contains(body, "&HTTP_USER_AGENT=Agent%2F1.0%20%28x%3B%20y%29%20%26%20co%3D1%20%25&", "headers")
        check.contains(body, "&HTTP_REFERER=http%3A%2F%2Fx%2F%3Fa%3D1%26b%3D2&", "headers")
        check.contains(body, "&HTTP_ACCEPT_LANGUAGE=de%2C%20en%3Bq%3D0.5&HTTP_PRAGMA=no-cache&", "headers")
        check.contains(body, "context=&AUTH_TYPE=Basic&AUTH_PASS=&", "headers")

        # HTTP/1.0, with and without a body; the host closes after each.
        text = raw_exchange(host, b"GET /gw?id=old HTTP/1.0\r\nUser-Agent: raw\r\n\r\n")
        check.expect(text.startswith("HTTP/1.0 200 OK\r\n"), "HTTP/1.0 status line: " + text[:40])
        check.contains(text, "Connection: close\r\n", "HTTP/1.0")
        check.contains(text, "&SERVER_PROTOCOL=HTTP%2F1.0&", "HTTP/1.0")
        text = raw_exchange(host, b"POST /gw?id=old-post HTTP/1.0\r\nContent-Length: 5\r\n\r\nhello")
        check.contains(text, "input-length=6\nbody=hello\n", "HTTP/1.0 POST")

        # Two requests on one kept-alive connection, sent back to back.
        text = raw_exchange(host, b"GET /gw?id=first HTTP/1.1\r\nHost: h\r\n\r\n"
                                  b"GET /gw?id=second HTTP/1.1\r\nHost: h\r\nConnection: close\r\n\r\n")
        check.expect(text.count("HTTP/1.1 200 OK") == 2, "pipelined requests")
        check.expect(0 <= text.find("QUERY_STRING=id%3Dfirst") < text.find("QUERY_STRING=id%3Dsecond"),
                     "pipelined answers in order")

        # Malformed and oversized requests are refused; the host carries on.
        check.expect(raw_exchange(host, b"garbage\r\n\r\n").startswith("HTTP/1.1 400 "), "bad request")
        check.expect(raw_exchange(host, b"POST /gw HTTP/1.1\r\nContent-Length: 5000000\r\n\r\n")
                     .startswith("HTTP/1.1 413 "), "oversized body")
        status, _, _ = curl(host, "/gw?id=after")
        check.expect(status == 200, "request after refusals")

        # The plug-in's error texts reach the web server's error log.
        log = host.read(host.error_log)
        check.contains(log, "[GET /gw/path?id=get1&name=a%20b] DVLWHAPI:CONTENT_LENGTH appears to be 0", "error log")
        check.contains(log, "[POST /gw?id=chunked] DVLWHAPI:CONTENT_LENGTH appears to be 0", "error log")
        check.expect("id=post1]" not in log, "no error for a POST with its length")

        # Every request through the plug-in was traced from entry to exit.
        answered = int(host.status()["plugin-requests"])
        trace = host.read(host.trace)
        check.expect(trace.count(" > DVLWHAPI (main)\n") == answered, "entries traced")
        check.expect(trace.count(" < DVLWHAPI (main) rc=0\n") == answered, "exits traced")
        check.expect(host.alive(), "host still running")
    check.finish("e2e_http")


if __name__ == "__main__":
    main()

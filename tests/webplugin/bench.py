"""Benchmark (not a test): requests per second through DVLWHAPI.dll next to
the same web host answering by itself (/direct/), measured in one run of
one host under Wine. Clients keep their connections alive."""
import threading
import time

from webhost_fixture import WebHost, common_arguments, stop_on_termination


def measure(host, clients, requests_each, method, path, body):
    errors = []

    def client(number):
        connection = host.connection()
        try:
            for n in range(requests_each):
                connection.request(method, "%s?id=b%d-%d" % (path, number, n), body=body)
                response = connection.getresponse()
                response.read()
                if response.status != 200:
                    errors.append(response.status)
        finally:
            connection.close()

    threads = [threading.Thread(target=client, args=(i,)) for i in range(clients)]
    start = time.perf_counter()
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    elapsed = time.perf_counter() - start
    if errors:
        raise RuntimeError("%d failed requests" % len(errors))
    return clients * requests_each / elapsed


def main():
    parser = common_arguments(__doc__)
    parser.add_argument("--clients", type=int, default=8)
    parser.add_argument("--requests", type=int, default=250, help="requests per client and measurement")
    args = parser.parse_args()
    stop_on_termination()
    cases = [("GET", None), ("POST 512 bytes", "p" * 512)]
    with WebHost(args, error_log=False) as host:
        # Warm up both paths once so neither pays the first-call costs.
        measure(host, 2, 20, "GET", "/gw", None)
        measure(host, 2, 20, "GET", "/direct/echo", None)
        print("%d clients x %d requests per measurement, 127.0.0.1:%d" % (args.clients, args.requests, host.port))
        print("%-16s %18s %18s %8s" % ("requests/s", "through plug-in", "host directly", "ratio"))
        for name, body in cases:
            method = "POST" if body else "GET"
            plugin = measure(host, args.clients, args.requests, method, "/gw", body)
            direct = measure(host, args.clients, args.requests, method, "/direct/echo", body)
            print("%-16s %18.1f %18.1f %8.2f" % (name, plugin, direct, plugin / direct), flush=True)


if __name__ == "__main__":
    main()

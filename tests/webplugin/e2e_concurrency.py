"""Concurrency: many clients at once against the web host under Wine. Every
answer must name its own request, the host must survive, and its handle
count and heap must not grow over the run."""
import http.client
import random
import threading
import time

from webhost_fixture import Checks, WebHost, common_arguments, stop_on_termination


def client(host, number, requests, keep_alive, failures, lock):
    """One client: GETs and POSTs that each carry their own id and body."""
    rng = random.Random(number)
    connection = None
    for n in range(requests):
        ident = "c%d-%d" % (number, n)
        body = ("payload-%s-" % ident) + "z" * rng.randrange(0, 3000)
        post = n % 2 == 0
        try:
            if connection is None:
                connection = host.connection()
            if post:
                connection.request("POST", "/gw?id=" + ident, body=body,
                                   headers={"Content-Type": "text/plain", "X-Client": ident})
            else:
                connection.request("GET", "/gw?id=" + ident, headers={"X-Client": ident})
            response = connection.getresponse()
            text = response.read().decode("latin-1")
            wanted = ["&QUERY_STRING=id%3D" + ident + "&", "&REQUEST_METHOD=" + ("POST" if post else "GET") + "&"]
            if post:
                wanted.append("input-length=%d\nbody=%s\n" % (len(body) + 1, body))
            else:
                wanted.append("input-length=1\nbody=\n")
            if response.status != 200 or any(w not in text for w in wanted):
                with lock:
                    failures.append("%s: status %d, answer %r" % (ident, response.status, text[:300]))
            if not keep_alive or response.getheader("Connection") == "close":
                connection.close()
                connection = None
        except (OSError, http.client.HTTPException) as e:
            with lock:
                failures.append("%s: %r" % (ident, e))
            if connection:
                connection.close()
            connection = None
    if connection:
        connection.close()


def run_round(host, clients, requests_each):
    failures, lock, threads = [], threading.Lock(), []
    for number in range(clients):
        # Half the clients keep their connection, half open one per request.
        t = threading.Thread(target=client, args=(host, number, requests_each, number % 2 == 0, failures, lock))
        threads.append(t)
        t.start()
    for t in threads:
        t.join(timeout=300)
    return failures


def settled_status(host):
    """The host's counters once every other connection has ended."""
    status = host.status()
    deadline = time.time() + 20
    while int(status["connections"]) > 1 and time.time() < deadline:
        time.sleep(0.2)
        status = host.status()
    return status


def main():
    parser = common_arguments(__doc__)
    parser.add_argument("--clients", type=int, default=10)
    parser.add_argument("--requests", type=int, default=40, help="requests per client and round")
    args = parser.parse_args()
    stop_on_termination()
    check = Checks()
    with WebHost(args, error_log=False) as host:
        # A first round brings the host to its working size.
        failures = run_round(host, args.clients, args.requests)
        before = settled_status(host)
        failures += run_round(host, args.clients, args.requests)
        failures += run_round(host, args.clients, args.requests)
        after = settled_status(host)
        for f in failures[:10]:
            print(f)
        check.expect(not failures, "%d lost or mixed-up answers" % len(failures))
        total = 3 * args.clients * args.requests
        check.expect(int(after["plugin-requests"]) == total,
                     "plug-in answered %s of %d" % (after["plugin-requests"], total))
        print("before: %s\nafter:  %s" % (before, after))
        handles = int(after["handles"]) - int(before["handles"])
        heap = int(after["heap"]) - int(before["heap"])
        requests = int(after["plugin-requests"]) - int(before["plugin-requests"])
        # A leak of one handle or one small allocation per request would show
        # as hundreds of handles or several kilobytes here.
        check.expect(abs(handles) <= 5, "handle count changed by %d over %d requests" % (handles, requests))
        check.expect(heap <= 2048, "heap grew by %d bytes over %d requests" % (heap, requests))
        check.expect(host.alive(), "host still running")
    check.finish("e2e_concurrency")


if __name__ == "__main__":
    main()

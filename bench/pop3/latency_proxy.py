#!/usr/bin/env python3
"""A TCP proxy on loopback that delays the bytes of each direction by a fixed time, order kept.

    latency_proxy.py LISTEN_PORT TARGET_PORT DELAY_MS

DELAY_MS applies to each direction, so a round trip takes twice as long. Prints "ready" once it
listens; runs until killed.
"""
import asyncio
import socket
import sys


def no_delay(writer):
    # Pieces go on at once: Nagle's wait for an ACK would add delay the link does not have.
    sock = writer.get_extra_info("socket")
    if sock is not None:
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)


async def forward(reader, writer, delay):
    loop = asyncio.get_running_loop()
    queue = asyncio.Queue()

    async def deliver():
        while True:
            due, data = await queue.get()
            wait = due - loop.time()
            if wait > 0:
                await asyncio.sleep(wait)
            if not data:
                break
            writer.write(data)
            await writer.drain()
        writer.close()

    delivering = asyncio.create_task(deliver())
    while True:
        data = await reader.read(65536)
        queue.put_nowait((loop.time() + delay, data))
        if not data:
            break
    await delivering


async def main():
    listen_port, target_port, delay = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3]) / 1000

    async def connection(client_reader, client_writer):
        try:
            server_reader, server_writer = await asyncio.open_connection("127.0.0.1", target_port)
        except OSError:
            client_writer.close()
            return
        no_delay(client_writer)
        no_delay(server_writer)
        await asyncio.gather(forward(client_reader, server_writer, delay),
                             forward(server_reader, client_writer, delay),
                             return_exceptions=True)

    server = await asyncio.start_server(connection, "127.0.0.1", listen_port)
    print("ready", flush=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    asyncio.run(main())

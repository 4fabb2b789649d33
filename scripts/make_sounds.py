#!/usr/bin/env python3
"""Synthesizes the two alarm sounds (committed; run again after a change)."""
import math
import os
import struct
import wave

RATE = 22050


def tone(path, pattern):
    """pattern: list of (frequency Hz or 0 for silence, seconds)."""
    frames = bytearray()
    for freq, seconds in pattern:
        n = int(RATE * seconds)
        fade = int(RATE * 0.01)
        for i in range(n):
            envelope = min(1.0, i / fade, (n - 1 - i) / fade) if freq else 0.0
            sample = 0.6 * envelope * math.sin(2 * math.pi * freq * i / RATE)
            frames += struct.pack('<h', int(sample * 32767))
    with wave.open(path, 'wb') as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


here = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'res', 'sound')
# High alarm: two short high beeps; low alarm: one longer low tone.
tone(os.path.join(here, 'highalarm.WAV'), [(1760, 0.15), (0, 0.08), (1760, 0.15)])
tone(os.path.join(here, 'lowalarm.WAV'), [(440, 0.4)])

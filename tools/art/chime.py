"""Signal sound: a soft three-note bell arpeggio (G5, C6, E6)."""

import wave

import numpy as np

RATE = 22050
LENGTH = 1.5          # seconds
PEAK_DBFS = -3.0

# (start time s, fundamental Hz, loudness)
NOTES = [(0.00, 783.99, 0.85), (0.13, 1046.50, 0.9), (0.26, 1318.51, 1.0)]
# bell-like partials: (frequency ratio, amplitude, decay-time factor)
PARTIALS = [(1.0, 1.0, 1.0), (2.0, 0.30, 0.55), (3.0, 0.10, 0.35), (4.16, 0.05, 0.25), (0.5, 0.06, 1.2)]


def render():
    n = int(RATE * LENGTH)
    t = np.arange(n) / RATE
    out = np.zeros(n)
    for start, f0, amp in NOTES:
        tt = t - start
        on = tt >= 0
        tt = np.where(on, tt, 0.0)
        attack = np.where(tt < 0.008, 0.5 - 0.5 * np.cos(np.pi * tt / 0.008), 1.0)
        tone = np.zeros(n)
        for ratio, a, dk in PARTIALS:
            tau = 0.42 * dk
            tone += a * np.exp(-tt / tau) * np.sin(2 * np.pi * f0 * ratio * tt)
            # a faintly detuned twin gives the bell a gentle shimmer
            tone += 0.15 * a * np.exp(-tt / tau) * np.sin(2 * np.pi * f0 * ratio * 1.0025 * tt)
        out += np.where(on, amp * attack * tone, 0.0)
    # fade the tail so the file ends in silence
    fade = int(0.12 * RATE)
    out[-fade:] *= 0.5 + 0.5 * np.cos(np.linspace(0, np.pi, fade))
    out[0] = 0.0
    out *= 10 ** (PEAK_DBFS / 20) / np.max(np.abs(out))
    return out


def write(path):
    data = np.round(render() * 32767).astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data.tobytes())

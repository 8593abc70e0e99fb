#!/usr/bin/python3
"""Synthesises the game's ten sound effects into assets/*.wav.

Pure Python (no numpy): every effect is a sum of a few oscillators,
envelopes and filtered noise. The noise comes from our own linear
congruential generator, so every run writes the same bytes.
Output: 16-bit PCM, 44100 Hz, mono, peak normalised to -1 dBFS.
"""
import math
import os
import struct
import sys
import wave

RATE = 44100
PEAK = 10 ** (-1.0 / 20.0)  # -1 dBFS leaves headroom for resampling in the mixer
TWO_PI = 2.0 * math.pi


class Noise:
    """Deterministic white noise in [-1, 1)."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.state / 2147483648.0 - 1.0


def silence(seconds):
    return [0.0] * int(round(seconds * RATE))


def mix_into(buf, part, start_s, gain=1.0):
    start = int(round(start_s * RATE))
    need = start + len(part)
    if need > len(buf):
        buf.extend([0.0] * (need - len(buf)))
    for i, v in enumerate(part):
        buf[start + i] += v * gain


def env_adsr(n, attack, decay, sustain, release):
    """Linear ADSR over n samples; attack/decay/release in seconds."""
    a = max(1, int(attack * RATE))
    d = max(1, int(decay * RATE))
    r = max(1, int(release * RATE))
    out = []
    for i in range(n):
        if i < a:
            e = i / a
        elif i < a + d:
            e = 1.0 - (1.0 - sustain) * (i - a) / d
        else:
            e = sustain
        if i >= n - r:
            e *= (n - i) / r
        out.append(e)
    return out


def tone(freq, seconds, shape="sine", harmonics=None, vibrato=0.0, vib_rate=5.5,
         attack=0.005, decay=0.05, sustain=0.7, release=0.05, glide_to=None):
    """One note. `harmonics` is a list of (multiple, amplitude) for additive timbres."""
    n = int(round(seconds * RATE))
    env = env_adsr(n, attack, decay, sustain, release)
    parts = harmonics or [(1, 1.0)]
    out = []
    phase = 0.0
    for i in range(n):
        t = i / RATE
        f = freq if glide_to is None else freq * (glide_to / freq) ** (i / max(1, n - 1))
        if vibrato:
            f *= 1.0 + vibrato * math.sin(TWO_PI * vib_rate * t)
        phase += f / RATE
        p = phase - math.floor(phase)
        if shape == "square":
            v = 1.0 if p < 0.5 else -1.0
        elif shape == "saw":
            v = 2.0 * p - 1.0
        elif shape == "triangle":
            v = 4.0 * abs(p - 0.5) - 1.0
        else:
            v = 0.0
            for mult, amp in parts:
                v += amp * math.sin(TWO_PI * phase * mult)
        out.append(v * env[i])
    return out


def lowpass(buf, cutoff):
    """One-pole low-pass; cutoff in Hz (a float or a function of the sample index)."""
    out = []
    y = 0.0
    for i, x in enumerate(buf):
        c = cutoff(i) if callable(cutoff) else cutoff
        k = 1.0 - math.exp(-TWO_PI * c / RATE)
        y += k * (x - y)
        out.append(y)
    return out


def highpass(buf, cutoff):
    low = lowpass(buf, cutoff)
    return [x - l for x, l in zip(buf, low)]


def noise_burst(seconds, seed, decay_s, cutoff=None):
    gen = Noise(seed)
    n = int(round(seconds * RATE))
    raw = [gen.next() * math.exp(-i / (decay_s * RATE)) for i in range(n)]
    return lowpass(raw, cutoff) if cutoff else raw


def brass(freq, seconds, vibrato=0.004):
    # a bright, slightly buzzy horn: odd-heavy additive partials
    h = [(1, 1.0), (2, 0.55), (3, 0.45), (4, 0.25), (5, 0.18), (6, 0.1), (7, 0.06)]
    return tone(freq, seconds, harmonics=h, vibrato=vibrato, attack=0.02, decay=0.08,
                sustain=0.75, release=min(0.12, seconds / 3))


def bell(freq, seconds):
    # inharmonic partials with short decays ring like a small metal bell or coin
    n = int(round(seconds * RATE))
    parts = [(1.0, 1.0, 0.25), (2.76, 0.5, 0.12), (5.4, 0.3, 0.06), (8.93, 0.15, 0.03)]
    # partials near or above Nyquist would fold back as audible whistles
    parts = [p for p in parts if freq * p[0] < 16000.0]
    out = []
    for i in range(n):
        t = i / RATE
        v = 0.0
        for mult, amp, tau in parts:
            v += amp * math.sin(TWO_PI * freq * mult * t) * math.exp(-t / tau)
        attack = min(1.0, i / (0.002 * RATE))
        out.append(v * attack)
    return out


def note_hz(name):
    names = {"C": -9, "C#": -8, "Db": -8, "D": -7, "D#": -6, "Eb": -6, "E": -5, "F": -4,
             "F#": -3, "Gb": -3, "G": -2, "G#": -1, "Ab": -1, "A": 0, "A#": 1, "Bb": 1, "B": 2}
    pitch, octave = name[:-1], int(name[-1])
    return 440.0 * 2 ** ((names[pitch] + 12 * (octave - 4)) / 12.0)


def fade_tail(buf, seconds):
    n = min(len(buf), int(seconds * RATE))
    for i in range(n):
        buf[len(buf) - n + i] *= 1.0 - i / n
    return buf


# --- the effects -------------------------------------------------------------

def schuss():
    """A mushroom leaves the cook's hand: a short pop with a quick whoosh."""
    pop = tone(900.0, 0.16, glide_to=180.0, attack=0.001, decay=0.04, sustain=0.35, release=0.1)
    whoosh = noise_burst(0.18, 11, 0.05, cutoff=2500.0)
    out = silence(0.2)
    mix_into(out, pop, 0.0, 1.0)
    mix_into(out, whoosh, 0.0, 0.8)
    return out


def takepilz():
    """Picking a mushroom up: two quick rising blips."""
    out = silence(0.2)
    mix_into(out, lowpass(tone(note_hz("E6"), 0.07, shape="square", attack=0.002, decay=0.02,
                               sustain=0.6, release=0.02), 6000.0), 0.0)
    mix_into(out, lowpass(tone(note_hz("B6"), 0.11, shape="square", attack=0.002, decay=0.03,
                               sustain=0.6, release=0.05), 6000.0), 0.065)
    return out


def fallen():
    """A ball drops: the classic falling whistle."""
    w = tone(1600.0, 1.0, glide_to=320.0, vibrato=0.01, vib_rate=9.0, attack=0.02,
             decay=0.1, sustain=0.85, release=0.25)
    return w


def count_money():
    """The time bonus is counted into the score: a stream of coin clinks."""
    out = silence(3.2)
    gen = Noise(77)
    t = 0.0
    k = 0
    while t < 3.0:
        f = 2200.0 + 400.0 * ((k * 7) % 5) / 4.0 + 60.0 * gen.next()
        mix_into(out, bell(f, 0.25), t, 0.6 if k % 2 else 0.45)
        mix_into(out, noise_burst(0.01, 100 + k, 0.002, cutoff=8000.0), t, 0.25)
        t += 0.085 + 0.02 * ((k * 3) % 4) / 3.0
        k += 1
    return fade_tail(out, 0.15)


def monkilled():
    """A ball lands on a monster: a wet squash with a sinking wobble."""
    body = tone(220.0, 0.5, glide_to=55.0, vibrato=0.08, vib_rate=14.0, attack=0.002,
                decay=0.1, sustain=0.5, release=0.25)
    splat = noise_burst(0.35, 5, 0.06, cutoff=lambda i: 3000.0 * math.exp(-i / 4000.0) + 200.0)
    out = silence(0.55)
    mix_into(out, body, 0.0, 0.9)
    mix_into(out, splat, 0.0, 1.4)
    return out


def killball():
    """The red ball is smashed: an icy crunch of many small cracks."""
    out = silence(0.5)
    gen = Noise(2024)
    t = 0.0
    k = 0
    while t < 0.38:
        grain = noise_burst(0.03, 300 + k, 0.006 + 0.004 * abs(gen.next()), cutoff=5000.0)
        grain = highpass(grain, 400.0)
        mix_into(out, grain, t, 1.0 - t * 1.8)
        t += 0.012 + 0.02 * abs(gen.next())
        k += 1
    thud = tone(140.0, 0.2, glide_to=60.0, attack=0.001, decay=0.05, sustain=0.3, release=0.1)
    mix_into(out, thud, 0.0, 0.7)
    return out


def killed():
    """The cook is caught: a sad, sliding 'wah wah wah waaah'."""
    out = silence(2.1)
    notes = [("G4", 0.0, 0.36), ("F#4", 0.4, 0.36), ("F4", 0.8, 0.36), ("E4", 1.2, 0.85)]
    for name, start, dur in notes:
        f = note_hz(name)
        last = name == "E4"
        n = lowpass(tone(f, dur, shape="saw", vibrato=0.02 if last else 0.006,
                         vib_rate=5.0, attack=0.03, decay=0.1, sustain=0.7, release=0.15),
                    lambda i: 600.0 + 1400.0 * math.exp(-i / 6000.0))
        mix_into(out, n, start)
    return fade_tail(out, 0.2)


def gameover():
    """The game ends without a high score: a slow minor tune with a bass."""
    out = silence(3.6)
    melody = [("C5", 0.0, 0.4), ("G4", 0.45, 0.4), ("Eb4", 0.9, 0.4), ("D4", 1.35, 0.4),
              ("C4", 1.8, 0.35), ("B3", 2.2, 0.35), ("C4", 2.6, 0.9)]
    for name, start, dur in melody:
        mix_into(out, brass(note_hz(name), dur, vibrato=0.006), start, 0.7)
    bass = [("C3", 0.0, 0.85), ("Ab2", 0.9, 0.85), ("G2", 1.8, 0.8), ("C2", 2.6, 0.95)]
    for name, start, dur in bass:
        mix_into(out, tone(note_hz(name), dur, shape="triangle", attack=0.01, decay=0.2,
                           sustain=0.6, release=0.2), start, 0.5)
    return fade_tail(out, 0.25)


def level_gewonnen():
    """The blue ball rests on the door: a short brass fanfare."""
    out = silence(2.4)
    seq = [("G4", 0.0, 0.13), ("C5", 0.14, 0.13), ("E5", 0.28, 0.13), ("G5", 0.42, 0.26),
           ("E5", 0.70, 0.13), ("G5", 0.84, 1.2)]
    for name, start, dur in seq:
        mix_into(out, brass(note_hz(name), dur), start, 0.6)
    for name in ("C4", "E4", "G4"):
        mix_into(out, brass(note_hz(name), 1.2, vibrato=0.003), 0.84, 0.3)
    mix_into(out, tone(note_hz("C3"), 1.2, shape="triangle", attack=0.01, decay=0.3,
                       sustain=0.5, release=0.3), 0.84, 0.5)
    return fade_tail(out, 0.3)


def neuer_hiscore():
    """A new high score: a bright rising arpeggio with sparkles on top."""
    out = silence(2.3)
    names = ["C5", "E5", "G5", "C6", "E6", "G6", "C7"]
    for k, name in enumerate(names):
        mix_into(out, bell(note_hz(name), 0.6), k * 0.09, 0.5)
        mix_into(out, tone(note_hz(name), 0.12, shape="square", attack=0.002, decay=0.03,
                           sustain=0.4, release=0.05), k * 0.09, 0.15)
    for name in ("C6", "E6", "G6"):
        mix_into(out, tone(note_hz(name), 1.3, harmonics=[(1, 1.0), (2, 0.3), (3, 0.1)],
                           vibrato=0.004, attack=0.01, decay=0.2, sustain=0.6, release=0.4),
                 0.7, 0.3)
    gen = Noise(9)
    for k in range(10):
        mix_into(out, bell(3000.0 + 1500.0 * abs(gen.next()), 0.3), 0.75 + k * 0.1, 0.2)
    return fade_tail(out, 0.2)


EFFECTS = {
    "schuss.wav": schuss,
    "takepilz.wav": takepilz,
    "fallen.wav": fallen,
    "count_money.wav": count_money,
    "monkilled.wav": monkilled,
    "killball.wav": killball,
    "killed.wav": killed,
    "gameover.wav": gameover,
    "level_gewonnen.wav": level_gewonnen,
    "neuer_hiscore.wav": neuer_hiscore,
}


def remove_dc(buf):
    mean = sum(buf) / len(buf)
    return [v - mean for v in buf]


def write_wav(path, buf):
    buf = remove_dc(buf)
    peak = max(abs(v) for v in buf)
    gain = PEAK / peak
    frames = bytearray()
    for v in buf:
        s = int(round(v * gain * 32767.0))
        frames += struct.pack("<h", max(-32767, min(32767, s)))
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))


def main(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    for name, make in EFFECTS.items():
        write_wav(os.path.join(out_dir, name), make())
        print("wrote", name)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "assets"))

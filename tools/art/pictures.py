"""The big pictures: splash, high-score background, level completed, final, sunburst, level sheet."""
from PIL import Image

PICTURES = {}

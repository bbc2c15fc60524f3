// Entry of the browser client.
import { Client } from './client.js';

const client = new Client(document.getElementById('desktop'), document.getElementById('banner'), window.location);
window.corvane = client; // for the browser tests and for a look from the console
client.connect();
